#include "ConnectionAttempt.h"

#include <QMetaObject>

#include <list>
#include <mutex>
#include <set>
#include <thread>

namespace {

// The attempts' threads. Each is joined when the program ends (or when a
// later attempt finds it done), never left running into the end of the
// process, where the libraries it is inside are being torn down.
class Threads
{
public:
    ~Threads()
    {
        std::list<std::thread> running;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            running.swap(m_threads);
        }
        for (std::thread &t : running)
            t.join();
    }
    template<typename F>
    void start(F &&work)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        // Done ones are joined at once; a running one costs nothing to wait for later.
        for (auto it = m_threads.begin(); it != m_threads.end();) {
            if (it->joinable() && m_done.count(it->get_id())) {
                m_done.erase(it->get_id());
                it->join();
                it = m_threads.erase(it);
            } else {
                ++it;
            }
        }
        m_threads.emplace_back([this, work = std::forward<F>(work)] {
            work();
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_done.insert(std::this_thread::get_id());
        });
    }

private:
    std::mutex m_mutex;
    std::list<std::thread> m_threads;
    std::set<std::thread::id> m_done;
};

Threads &threads()
{
    static Threads all;
    return all;
}

} // namespace

// What the attempt and its thread share: the receiver of the result, which
// the attempt takes away under the lock when it is given up.
struct ConnectionAttempt::Shared
{
    std::mutex mutex;
    ConnectionAttempt *receiver = nullptr;
};

ConnectionAttempt::ConnectionAttempt(const QString &dataSource, const QString &user,
    const QString &password, int timeoutSeconds, QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->receiver = this;
    threads().start([shared = m_shared, dataSource, user, password, timeoutSeconds] {
        const UserDatabase::Outcome outcome
            = UserDatabase::connect(dataSource, user, password, timeoutSeconds);
        const std::lock_guard<std::mutex> lock(shared->mutex);
        if (ConnectionAttempt *receiver = shared->receiver) {
            // Queued: delivered on the receiver's thread, and dropped if the
            // receiver is gone by then.
            QMetaObject::invokeMethod(
                receiver, [receiver, outcome] { emit receiver->finished(outcome); },
                Qt::QueuedConnection);
        }
    });
}

ConnectionAttempt::~ConnectionAttempt()
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->receiver = nullptr;
}
