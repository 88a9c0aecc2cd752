// The printer lookup: one spooler per lookup, shared with its thread, so that the thread can outlive
// this object when the print server keeps it waiting.
#include "platform/print/PrinterDiscovery.h"

#include <QCoreApplication>
#include <QThread>

PrinterDiscovery::PrinterDiscovery(QObject *parent, int requestTimeoutMs)
    : QObject(parent), m_requestTimeoutMs(requestTimeoutMs) {}

PrinterDiscovery::~PrinterDiscovery() {
    if (m_spooler) {
        m_spooler->Cancel();
    }
}

void PrinterDiscovery::start() {
    if (m_running) {
        return;
    }
    m_running = true;
    m_spooler = std::make_shared<CupsSpooler>(m_requestTimeoutMs);
    QPointer<PrinterDiscovery> self(this);
    m_thread = QThread::create([self, spooler = m_spooler] {
        QStringList names;
        const Outcome outcome = spooler->PrinterNames(names) ? Outcome::Answered
                                : spooler->TimedOut()        ? Outcome::Silent
                                                             : Outcome::Unreachable;
        const QString error = outcome == Outcome::Answered ? QString() : spooler->LastError();
        // Run on the thread the lookup's owner lives on, where `self` can be checked safely.
        QCoreApplication *app = QCoreApplication::instance();
        if (!app) {
            return; // the program is ending
        }
        QMetaObject::invokeMethod(
            app,
            [self, spooler, outcome, names, error] {
                if (self && self->m_spooler == spooler) {
                    self->m_running = false;
                    self->m_spooler.reset();
                    emit self->finished(outcome, names, error);
                }
            },
            Qt::QueuedConnection);
    });
    m_thread->setObjectName(QStringLiteral("PrinterDiscovery"));
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_thread->start();
}
