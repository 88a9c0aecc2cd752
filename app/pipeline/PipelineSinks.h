// Everything the receive pipeline reaches outside itself, as one interface the main window
// implements. Most default bodies only trace what they receive, so a sink overrides just what it
// handles (a test's sink, what it checks); OpenDocument and StartProgram do the real work.
//
// Calls marked "deferred" are made after the whole block has been processed, never inside it;
// their implementations must still not run a nested event loop (use QMessageBox::open, show()
// without exec, or post the work), so that host input keeps flowing.
#pragma once

#include "common/UserMessages.h"
#include "platform/hostlink/HostLink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class PipelineSinks {
public:
    virtual ~PipelineSinks() = default;

    // --- Terminal and host link ---------------------------------------------------------------
    // Text for the screen (the terminal's WriteString).
    virtual void WriteString(const QByteArray &text);
    // The host link. Replies of client commands, the key-set reply, the login answer and the
    // single ESC go out here.
    virtual HostLink *Link() { return nullptr; }

    // --- Object requests ----------------------------------------------------------------------
    // Request types 1-9: the host-forms window (created on first use, main window Tag 17) gets
    // the whole request text.
    virtual void ExecuteRequest(const QByteArray &requestText);
    // Client command 1: the detached image window shows this list of image names.
    virtual void ShowImageList(const QByteArray &names);
    // Client command 1 "ORVAAUDIO": false when the dictation window does not exist.
    virtual bool SetDictationPlayPosition(int milliseconds);
    // Client command 1 otherwise: a document opened with the desktop's handler, or a program
    // started detached with an argument list (never through a shell). These two defaults do the
    // real work; failures are traced, not reported to the host.
    virtual void OpenDocument(const QString &path);
    virtual void StartProgram(const QString &program, const QStringList &arguments,
                              const QString &workingDir);
    // The capture tool button follows the host capture (client commands 2 and 3).
    virtual void HostCaptureChanged(bool on);

    // --- Export and import, local capture, raw printer ----------------------------------------
    virtual bool ItemTransferActive() { return false; }
    // The received bytes of a block while an export or import runs (NUL bytes left out).
    virtual void ItemTransferReply(const QByteArray &text);
    virtual void EndItemTransfer() {}
    virtual bool LocalCaptureActive() { return false; }
    // False ends the local capture (the pipeline then calls StopLocalCapture).
    virtual bool LocalCaptureWrite(const QByteArray &bytes);
    virtual void StopLocalCapture() {}
    // A raw print job: false from begin means there is no job (the data is dropped and the user told).
    virtual bool RawPrintBegin();
    virtual void RawPrintWrite(const QByteArray &bytes);
    virtual void RawPrintEnd();

    // --- Result transfer (upload queue) -------------------------------------------------------
    virtual bool ResultTransferActive() { return false; }
    virtual void SetResultTransferActive(bool) {}
    virtual bool AudioTransfer() { return false; }
    virtual void SetAudioTransfer(bool) {}
    virtual void SendQueuedLines();
    virtual void ClearSendQueue();
    // Bytes that must not land between an upload's lines: sent at once when no upload is under
    // way, else when it ends.
    virtual void SendWhenIdle(const QByteArray &bytes);
    // The transfer panel with its progress bar at `progress`, or hidden.
    virtual void ShowTransferPanel(int progress);
    virtual void HideTransferPanel();
    // Deferred: the host refused or failed an upload (BEL or NAK). For a report the editor reloads
    // the last saved copy, is shown with its document changed, and "Transfer failure. Please
    // Re-save" is shown; for an audio upload the user is told the same and the dictation window
    // shown again.
    virtual void TransferFailed(bool audio);

    // --- Report messages ----------------------------------------------------------------------
    virtual void SetBusyCursor(bool busy);
    virtual bool EditorFoldersSet() { return false; }
    // Deferred: the results editor on a copy of the report message body (showeditor).
    virtual void ShowEditor(const QByteArray &reportMessage);
    // Deferred: the dictation window on a copy of the report message body (OpenDictationTask).
    virtual void OpenDictationTask(const QByteArray &reportMessage);

    // --- User ---------------------------------------------------------------------------------
    virtual void Beep();
    // The user's boxes; the pipeline only shows notices, and only deferred. Texts from the host are
    // shown as plain text, never as rich text.
    virtual UserMessages &Messages();
};
