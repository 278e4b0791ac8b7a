#include "ConnectionAttempt.h"

#include <QMetaObject>

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// The attempts' threads. Each is joined when the program ends (or when a
// later attempt finds it done), never left running into the end of the
// process, where the libraries it is inside are being torn down.
class Threads
{
    struct Worker
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

public:
    ~Threads()
    {
        std::list<Worker> running;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            running.swap(m_workers);
        }
        for (Worker &w : running)
            w.thread.join();
    }
    template<typename F>
    void start(F &&work)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        // Done ones are joined at once; a running one is waited for later.
        m_workers.remove_if([](Worker &w) {
            if (!*w.done)
                return false;
            w.thread.join();
            return true;
        });
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::thread thread([done, work = std::forward<F>(work)] {
            work();
            *done = true;
        });
        m_workers.push_back({std::move(thread), done});
    }

private:
    std::mutex m_mutex;
    std::list<Worker> m_workers;
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
