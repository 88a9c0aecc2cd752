// A print spooler that records every call ("open Lab1", "start T", "page", "write 3", "endpage", "end",
// "abort", "close") and fails the calls the test names. Safe to read from another thread.
#pragma once

#include "platform/print/PrintSpooler.h"

#include <QMutex>
#include <QSet>
#include <QStringList>
#include <QWaitCondition>
#include <memory>

struct FakeSpoolerLog {
    mutable QMutex mutex;
    QStringList calls;
    QByteArray written;
    QSet<QString>
        failing; // call names ("open", "start", "page", "write", "endpage", "end", "abort", "close")
    QString defaultPrinter = QStringLiteral("Default");
    // Calls that block, as a print server that never answers, until released or cancelled.
    QSet<QString> holding;
    bool ignoreCancel = false;
    bool cancelled = false;
    QWaitCondition changed;

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
    void hold(const QString &call) {
        QMutexLocker lock(&mutex);
        holding.insert(call);
    }
    void release() {
        QMutexLocker lock(&mutex);
        holding.clear();
        changed.wakeAll();
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
    void Cancel() override {
        QMutexLocker lock(&m_log->mutex);
        m_log->calls.append(QStringLiteral("cancel"));
        m_log->cancelled = true;
        m_log->changed.wakeAll();
    }

private:
    bool call(const char *name, const QString &argument = {}) {
        QMutexLocker lock(&m_log->mutex);
        const QString n = QString::fromLatin1(name);
        m_log->calls.append(argument.isEmpty() ? n : n + QLatin1Char(' ') + argument);
        while (m_log->holding.contains(n) && !(m_log->cancelled && !m_log->ignoreCancel)) {
            m_log->changed.wait(&m_log->mutex);
        }
        if (m_log->cancelled && !m_log->ignoreCancel) {
            m_error = n + QStringLiteral(" cancelled");
            return false;
        }
        if (m_log->failing.contains(n)) {
            m_error = n + QStringLiteral(" failed");
            return false;
        }
        return true;
    }

    std::shared_ptr<FakeSpoolerLog> m_log;
    QString m_error;
};
