// The setup file as the settings form edits it: the fields it manages, the key-map lines, and the
// lines it keeps unchanged; read from a file's text and written back in the form's fixed order.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The mark a switched-off entry or field carries in the form; written as a leading "+".
inline const QString kDisabledMark = QStringLiteral(" (Disabled)");

struct SetupDocument {
    QString HostName; // the host field, "host[:port]"
    bool LogonConv = false;
    QString SeeText;
    QString AnswerText;
    bool KeySetConv = false;
    QString KeySetQuery;
    QString KeySetReply;
    QString HostPrinter;
    QString ScrollLines; // fields that can be switched off carry kDisabledMark
    // A setting the file does not name starts as the program runs without it, so that writing the file
    // does not change it behind the user's back.
    bool EnableBell = false;
    bool UseGraphicsFont = true;
    int GraphicsFontResource = 0;
    QList<QByteArray> KeyMapLines; // "key=value" as read, a leading "+" when switched off
    QString Source;
    QStringList AlternateSources; // entries, kDisabledMark when switched off
    QString Pattern;
    QString SecureImageName;
    QString NoImageName;
    bool HaltOnNoServer = true;
    bool ImagePrinter = false;
    QStringList CaptureSets; // "row,column,count:"text"", kDisabledMark when switched off
    QString ResultsFolder;
    QString AbbrevFolder;
    QString TemplatesFolder;
    bool ShowWarnings = true;
    QString CustomDict;
    QList<QByteArray> Unmanaged; // lines written last, unchanged

    // The emulator's colour strings, written in the colour lines.
    struct Colours {
        QByteArray Fore;
        QByteArray Back;
        QByteArray Bold;
    };

    static SetupDocument Read(const QByteArray &text);
    // The whole file: one line per setting in the fixed order, each ended by CR LF.
    QByteArray Write(const Colours &colours) const;

    bool HasOldKeyMaps() const;
    // Rewrites KEYMAP- lines as KEYMAP_EX- lines, keeping a leading "+"; a line whose key cannot be
    // named stays as it was. True when a line changed.
    bool UpgradeKeyMaps();

    bool operator==(const SetupDocument &) const = default;
};

namespace SetupLists {

// The text before the first kDisabledMark.
QString WithoutMark(const QString &text);
bool IsDisabled(const QString &text);
// "Di&sable" and "&Enable" of a list entry or field: the mark stands at most once.
QString Disabled(const QString &text);
QString Enabled(const QString &text);
// The key-map line in step with its list entry: "+" once in front when switched off, none otherwise.
QByteArray KeyMapLineSwitched(const QByteArray &line, bool disabled);
// The key list's text of a key-map line: the shortcut of a KEYMAP_EX- line, the key part of an old
// KEYMAP- line; kDisabledMark when the line starts with "+".
QString KeyListText(const QByteArray &line);

// Questions of the host-list walks: Yes, No or Cancel.
enum class Answer { Yes, No, Cancel };
using Ask = std::function<Answer(const QString &caption, const QString &text)>;

void HostAdd(QStringList &entries, const QString &text);
void HostUpdate(QStringList &entries, const QString &text, const Ask &ask);
void HostSwitchOff(QStringList &entries, const QString &text);
void HostRemove(QStringList &entries, const QString &text, const Ask &ask);

void AlternateAdd(QStringList &entries, const QString &text);
void AlternateDisable(QStringList &entries, const QString &text);
void AlternateRemove(QStringList &entries, const QString &text);

} // namespace SetupLists
