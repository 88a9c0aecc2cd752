// A pipeline sink that records every call, with settable transfer and capture states.
#pragma once

#include "app/pipeline/PipelineSinks.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class RecordingSinks : public PipelineSinks {
public:
    RecordingSinks() {
        boxes.onShow = [this](UserMessages::Kind kind, const QString &caption, const QString &text) {
            messages.append(QString::number(int(kind)) + "|" + caption + "|" + text);
            log.append("message");
        };
    }

    FakeHostLink link;
    RecordingMessages boxes;
    QByteArray terminal;
    QList<QByteArray> writes;
    QList<QByteArray> requests;
    QList<QByteArray> imageLists;
    QList<int> playPositions;
    bool dictationExists = true;
    QStringList opened;   // documents
    QStringList programs; // program|arg|arg|@dir
    QList<bool> captureButton;
    bool itemTransfer = false;
    QByteArray itemReplies;
    bool localCapture = false;
    bool localCaptureFails = false;
    QByteArray localCaptured;
    int localStops = 0;
    bool printerAvailable = true;
    int printBegins = 0;
    int printEnds = 0;
    QByteArray printed;
    bool transferActive = false;
    bool audio = false;
    int queuedSends = 0;
    QByteArray heldSends; // waiting for the upload under way to end
    int queueClears = 0;
    QList<int> panelShown;
    int panelHidden = 0;
    QList<bool> transferFailures;
    QList<bool> busy;
    bool foldersSet = true;
    QList<QByteArray> editor;
    QList<QByteArray> dictation;
    int beeps = 0;
    QStringList messages; // kind|caption|text
    QStringList log;      // order of terminal writes and deferred windows
    std::function<void(const QByteArray &)> onWrite;

    void WriteString(const QByteArray &text) override {
        terminal += text;
        writes.append(text);
        log.append("write");
        if (onWrite) {
            onWrite(text);
        }
    }
    HostLink *Link() override { return &link; }
    void ExecuteRequest(const QByteArray &t) override { requests.append(t); }
    void ShowImageList(const QByteArray &n) override { imageLists.append(n); }
    bool SetDictationPlayPosition(int ms) override {
        if (dictationExists) {
            playPositions.append(ms);
        }
        return dictationExists;
    }
    void OpenDocument(const QString &p) override { opened.append(p); }
    void StartProgram(const QString &p, const QStringList &a, const QString &d) override {
        programs.append(p + "|" + a.join('|') + "|@" + d);
    }
    void HostCaptureChanged(bool on) override { captureButton.append(on); }
    bool ItemTransferActive() override { return itemTransfer; }
    void ItemTransferReply(const QByteArray &t) override { itemReplies += t; }
    void EndItemTransfer() override { itemTransfer = false; }
    bool LocalCaptureActive() override { return localCapture; }
    bool LocalCaptureWrite(const QByteArray &b) override {
        if (localCaptureFails) {
            return false;
        }
        localCaptured += b;
        return true;
    }
    void StopLocalCapture() override {
        localCapture = false;
        ++localStops;
    }
    bool RawPrintBegin() override {
        ++printBegins;
        return printerAvailable;
    }
    void RawPrintWrite(const QByteArray &b) override { printed += b; }
    void RawPrintEnd() override { ++printEnds; }
    bool ResultTransferActive() override { return transferActive; }
    void SetResultTransferActive(bool on) override { transferActive = on; }
    bool AudioTransfer() override { return audio; }
    void SetAudioTransfer(bool on) override { audio = on; }
    void SendQueuedLines() override { ++queuedSends; }
    void ClearSendQueue() override { ++queueClears; }
    void SendWhenIdle(const QByteArray &b) override { heldSends += b; }
    void ShowTransferPanel(int p) override { panelShown.append(p); }
    void HideTransferPanel() override { ++panelHidden; }
    void TransferFailed(bool a) override {
        transferFailures.append(a);
        log.append("transferfailed");
    }
    void SetBusyCursor(bool b) override { busy.append(b); }
    bool EditorFoldersSet() override { return foldersSet; }
    void ShowEditor(const QByteArray &r) override {
        editor.append(r);
        log.append("editor");
    }
    void OpenDictationTask(const QByteArray &r) override {
        dictation.append(r);
        log.append("dictation");
    }
    void Beep() override { ++beeps; }
    UserMessages &Messages() override { return boxes; }
};
