#pragma once

#include <QString>

// The outcome of a write to one of the stores. An empty error means the value
// was written; otherwise the error is a complete sentence for the operator.
struct WriteResult
{
    QString error;

    bool ok() const { return error.isEmpty(); }
    static WriteResult success() { return {}; }
    static WriteResult failure(const QString &message) { return {message}; }
};
