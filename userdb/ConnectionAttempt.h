#pragma once

#include "UserDatabase.h"

#include <QObject>

#include <memory>

// One UserDatabase::connect, run on a thread of its own so that the window
// stays alive while the driver waits for a server. finished() comes on the
// thread that made the attempt. An attempt that is destroyed before it ends
// is given up: its thread runs on to the driver's own end (the login
// timeout at most) touching nothing but its own copy of the values, and
// nothing is reported. The program waits for such threads as it ends.
class ConnectionAttempt : public QObject
{
    Q_OBJECT

public:
    ConnectionAttempt(const QString &dataSource, const QString &user, const QString &password,
        int timeoutSeconds, QObject *parent = nullptr);
    ~ConnectionAttempt() override;

signals:
    void finished(const UserDatabase::Outcome &outcome);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
