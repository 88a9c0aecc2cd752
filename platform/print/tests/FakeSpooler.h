// A print spooler that records every call ("open Lab1", "start T", "page", "write 3", "endpage", "end",
// "abort", "close") and fails the calls the test names. Safe to read from another thread.
#pragma once

#include "platform/print/PrintSpooler.h"

#include <QMutex>
#include <QSet>
#include <QStringList>
#include <memory>

struct FakeSpoolerLog {
    mutable QMutex mutex;
    QStringList calls;
    QByteArray written;
    QSet<QString>
        failing; // call names ("open", "start", "page", "write", "endpage", "end", "abort", "close")
    QString defaultPrinter = QStringLiteral("Default");

    QStringList snapshot() const {
        QMutexLocker lock(&mutex);
        return calls;
    }
    QByteArray data() const {
        QMutexLocker lock(&mutex);
        return written;
    }
    void fail(const QString &call) {
        QMutexLocker lock(&mutex);
        failing.insert(call);
    }
    void clearFailures() {
        QMutexLocker lock(&mutex);
        failing.clear();
    }
};

class FakeSpooler : public PrintSpooler {
public:
    explicit FakeSpooler(std::shared_ptr<FakeSpoolerLog> log) : m_log(std::move(log)) {}

    QString DefaultPrinter() override {
        QMutexLocker lock(&m_log->mutex);
        m_log->calls.append(QStringLiteral("default"));
        return m_log->defaultPrinter;
    }
    bool OpenPrinter(const QString &name) override { return call("open", name); }
    bool StartDocument(const QString &title) override { return call("start", title); }
    bool StartPage() override { return call("page"); }
    bool Write(const QByteArray &bytes) override {
        if (!call("write", QString::number(bytes.size()))) {
            return false;
        }
        QMutexLocker lock(&m_log->mutex);
        m_log->written += bytes;
        return true;
    }
    bool EndPage() override { return call("endpage"); }
    bool EndDocument() override { return call("end"); }
    bool AbortDocument() override { return call("abort"); }
    bool ClosePrinter() override { return call("close"); }
    QString LastError() const override { return m_error; }

private:
    bool call(const char *name, const QString &argument = {}) {
        QMutexLocker lock(&m_log->mutex);
        const QString n = QString::fromLatin1(name);
        m_log->calls.append(argument.isEmpty() ? n : n + QLatin1Char(' ') + argument);
        if (m_log->failing.contains(n)) {
            m_error = n + QStringLiteral(" failed");
            return false;
        }
        return true;
    }

    std::shared_ptr<FakeSpoolerLog> m_log;
    QString m_error;
};
