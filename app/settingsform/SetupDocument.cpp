// Reading and writing the setup file for the settings form, and the form's list operations.
#include "app/settingsform/SetupDocument.h"

#include "app/keymap/KeyMap.h"
#include "app/keymap/KeyShortcut.h"
#include "common/GDStringManip.h"
#include "common/HostText.h"
#include "common/SetupFile.h"

#include <QSet>

using namespace GDStringManip;

namespace {

QString text(const QByteArray &bytes) {
    return HostText::toUnicode(bytes);
}

QByteArray bytes(const QString &s) {
    return HostText::fromUnicode(s);
}

QString marked(const QString &value, bool disabled) {
    return disabled ? value + kDisabledMark : value;
}

// "key" + value, with "+" in front when the field or entry carries the switched-off mark.
QByteArray fieldLine(const char *key, const QString &field) {
    const QByteArray line = key + bytes(SetupLists::WithoutMark(field));
    return SetupLists::IsDisabled(field) ? "+" + line : line;
}

QByteArray onOff(const char *key, bool on, const char *yes, const char *no) {
    return QByteArray(key) + (on ? yes : no);
}

QByteArray quotedText(const QString &s) {
    return "\"" + bytes(s) + "\"";
}

bool readTrue(const QByteArray &value) {
    const QByteArray l = value.toLower();
    bool ok = false;
    const int n = l.toInt(&ok);
    return l == "true" || (ok && n != 0);
}

bool keyMapKey(const QByteArray &key) {
    if (!key.contains('-')) {
        return false;
    }
    const QByteArray family = TextBefore(key, "-");
    return family == "keymap" || family == "keymap_ex";
}

} // namespace

SetupDocument SetupDocument::Read(const QByteArray &fileText) {
    SetupDocument d;
    // A switched-off line fills its field only while no active line has; an active line always does.
    QSet<QByteArray> activeSeen;
    for (const QByteArray &line : SetupFile::SplitLines(fileText)) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) {
            continue;
        }
        const QByteArray fullKey = SetupFile::NormalisedKey(line.left(eq));
        const QByteArray value = SetupFile::TrimValue(line.mid(eq + 1));
        if (fullKey.isEmpty() || value.isEmpty()) {
            continue;
        }
        const bool disabled = fullKey.startsWith('+');
        const QByteArray key = disabled ? fullKey.mid(1) : fullKey;
        if (keyMapKey(key)) {
            d.KeyMapLines.append(SetupFile::TrimValue(line));
            continue;
        }
        const QString v = text(value);
        const bool fill = !disabled || !activeSeen.contains(key);
        if (!disabled) {
            activeSeen.insert(key);
        }
        // Settings the form writes only switched on: a switched-off line of them is kept as it was.
        static const QSet<QByteArray> onlyOn = {
            "hostname",         "enablepcbeep",     "printername",  "usegraphicsfont", "graphicsfontresource",
            "haltonserverfail", "printeravailable", "showwarnings", "customdictionary"};
        if (disabled && onlyOn.contains(key)) {
            d.Unmanaged.append(line);
            continue;
        }
        if (key == "alternatesource") {
            d.AlternateSources.append(marked(v, disabled));
        } else if (key == "captureset") {
            d.CaptureSets.append(marked(v, disabled));
        } else if (key == "foregroundcolors" || key == "backgroundcolors" || key == "boldforegroundcolors") {
            // Written from the emulator's tables.
        } else if (!fill) {
            continue;
        } else if (key == "hostname") {
            d.HostName = v;
        } else if (key == "loginconversation") {
            d.LogonConv = !disabled;
            d.SeeText = text(SetupFile::LoginPrompt(value));
            d.AnswerText = text(SetupFile::LoginReply(value));
        } else if (key == "keysetquery") {
            d.KeySetConv = !disabled;
            d.KeySetQuery = text(SetupFile::Quoted(value));
        } else if (key == "keysetreply") {
            d.KeySetConv = d.KeySetConv || !disabled;
            d.KeySetReply = text(SetupFile::Quoted(value));
        } else if (key == "scrolllines") {
            d.ScrollLines = marked(v, disabled);
        } else if (key == "enablepcbeep") {
            d.EnableBell = value.toLower() == "yes";
        } else if (key == "printername") {
            d.HostPrinter = text(SetupFile::Quoted(value));
        } else if (key == "usegraphicsfont") {
            d.UseGraphicsFont = readTrue(value);
        } else if (key == "graphicsfontresource") {
            d.GraphicsFontResource = value.toInt() == 1 ? 1 : 0;
        } else if (key == "sourcedirectory") {
            d.Source = marked(v, disabled);
        } else if (key == "subdirectory") {
            d.Pattern = marked(v, disabled);
        } else if (key == "secureimagename") {
            d.SecureImageName = marked(v, disabled);
        } else if (key == "noimagename") {
            d.NoImageName = marked(v, disabled);
        } else if (key == "haltonserverfail") {
            d.HaltOnNoServer = value.toLower() != "no";
        } else if (key == "printeravailable") {
            d.ImagePrinter = value.toLower() == "yes";
        } else if (key == "rtfresultdirectory") {
            d.ResultsFolder = marked(v, disabled);
        } else if (key == "rtfabbreviationdirectory") {
            d.AbbrevFolder = marked(v, disabled);
        } else if (key == "templatedirectory") {
            d.TemplatesFolder = marked(v, disabled);
        } else if (key == "showwarnings") {
            const char first = static_cast<char>(QChar::toUpper(static_cast<unsigned char>(value[0])));
            d.ShowWarnings = first == 'Y' || first == 'T';
        } else if (key == "customdictionary") {
            d.CustomDict = v;
        } else {
            d.Unmanaged.append(line);
        }
    }
    return d;
}

QByteArray SetupDocument::Write(const Colours &colours) const {
    const QByteArray off = "+";
    QList<QByteArray> lines;
    lines.append("Host Name =" + bytes(SetupLists::WithoutMark(HostName).trimmed()));
    lines.append((LogonConv ? "" : off) + "login conversation = see " + quotedText(SeeText) + " answer " +
                 quotedText(AnswerText));
    lines.append((KeySetConv ? "" : off) + "keysetquery = " + quotedText(KeySetQuery));
    lines.append((KeySetConv ? "" : off) + "keysetreply = " + quotedText(KeySetReply));
    lines.append(fieldLine("Scroll Lines =", ScrollLines));
    lines.append(onOff("Enable PC Beep = ", EnableBell, "yes", "no"));
    lines.append("Printer Name = " + quotedText(HostPrinter));
    lines.append("Foreground Colors = " + colours.Fore);
    lines.append("Background Colors = " + colours.Back);
    lines.append("BoldForeground Colors =" + colours.Bold);
    lines.append(onOff("Use Graphics Font = ", UseGraphicsFont, "True", "False"));
    lines.append("Graphics Font Resource = " + QByteArray::number(GraphicsFontResource));
    lines.append(KeyMapLines);
    lines.append(fieldLine("Source directory = ", Source));
    for (const QString &entry : AlternateSources) {
        lines.append(fieldLine("alternate source = ", entry));
    }
    lines.append(fieldLine("subdirectory = ", Pattern));
    lines.append(fieldLine("secure image name =", SecureImageName));
    lines.append(fieldLine("no image name = ", NoImageName));
    lines.append(onOff("halt on server fail = ", HaltOnNoServer, "yes", "no"));
    lines.append(onOff("printeravailable = ", ImagePrinter, "yes", "no"));
    for (const QString &set : CaptureSets) {
        lines.append(fieldLine("Capture Set = ", set));
    }
    lines.append(fieldLine("RTFResult directory = ", ResultsFolder));
    lines.append(fieldLine("RTFAbbreviation directory = ", AbbrevFolder));
    lines.append(fieldLine("Template directory = ", TemplatesFolder));
    lines.append(onOff("Show Warnings = ", ShowWarnings, "yes", "no"));
    if (!CustomDict.isEmpty()) {
        lines.append("Custom Dictionary = " + bytes(CustomDict));
    }
    lines.append(Unmanaged);
    QByteArray out;
    for (const QByteArray &line : lines) {
        out += line + "\r\n";
    }
    return out;
}

bool SetupDocument::HasOldKeyMaps() const {
    for (const QByteArray &line : KeyMapLines) {
        const QByteArray key = SetupFile::NormalisedKey(TextBefore(line, "="));
        if (!(key.startsWith('+') ? key.mid(1) : key).startsWith("keymap_ex-")) {
            return true;
        }
    }
    return false;
}

bool SetupDocument::UpgradeKeyMaps() {
    bool changed = false;
    for (QByteArray &line : KeyMapLines) {
        QByteArray key = RemoveChar(TextBefore(line, "="), ' ');
        const bool off = key.startsWith('+');
        if (off) {
            key = key.mid(1);
        }
        if (key.toLower().startsWith("keymap_ex-")) {
            continue;
        }
        const QByteArray value = SetupFile::TrimValue(TextAfter(line, "="));
        KeyMap one;
        one.FillKeyNameTable();
        if (!one.AddKeyMapEntry(key, value) || one.Entries().isEmpty()) {
            continue;
        }
        const TKeyMapEntry &entry = one.Entries().constLast();
        const QByteArray shortcut = KeyShortcut::Text(entry.Key, entry.Modifiers);
        if (shortcut.isEmpty()) {
            continue;
        }
        line = (off ? "+" : "") + QByteArray("KEYMAP_EX-") + shortcut + "=" + value;
        changed = true;
    }
    return changed;
}

namespace SetupLists {

QString WithoutMark(const QString &text) {
    const qsizetype at = text.indexOf(kDisabledMark);
    return at < 0 ? text : text.left(at);
}

bool IsDisabled(const QString &text) {
    return text.contains(kDisabledMark);
}

QString Disabled(const QString &text) {
    return text.isEmpty() ? text : WithoutMark(text) + kDisabledMark;
}

QString Enabled(const QString &text) {
    return WithoutMark(text);
}

QByteArray KeyMapLineSwitched(const QByteArray &line, bool disabled) {
    QByteArray bare = line;
    while (bare.startsWith('+') || bare.startsWith(' ')) {
        bare = bare.mid(1);
    }
    return disabled ? "+" + bare : bare;
}

QString KeyListText(const QByteArray &line) {
    QByteArray key = RemoveChar(TextBefore(line, "="), ' ');
    const bool off = key.startsWith('+');
    if (off) {
        key = key.mid(1);
    }
    const QString shown = HostText::toUnicode(TextAfter(key, "-"));
    return off ? shown + kDisabledMark : shown;
}

namespace {

struct HostParts {
    QString Host;
    QString Port;
    bool Off = false;
};

HostParts split(const QString &s, bool trim) {
    const QString base = WithoutMark(s);
    const qsizetype colon = base.indexOf(QLatin1Char(':'));
    HostParts p;
    p.Host = colon < 0 ? base : base.left(colon);
    p.Port = colon < 0 ? QString() : base.mid(colon + 1);
    if (trim) {
        p.Host = p.Host.trimmed();
        p.Port = p.Port.trimmed();
    }
    p.Off = IsDisabled(s);
    return p;
}

QString hostPort(const HostParts &p) {
    return p.Port.isEmpty() ? p.Host : p.Host + QLatin1Char(':') + p.Port;
}

qsizetype findHost(const QStringList &entries, const HostParts &t) {
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const HostParts e = split(entries[i], false);
        if (e.Host == t.Host && e.Port == t.Port) {
            return i;
        }
    }
    return -1;
}

qsizetype findNoCase(const QStringList &entries, const QString &name) {
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i].compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

} // namespace

void HostAdd(QStringList &entries, const QString &text) {
    const HostParts t = split(text, true);
    const qsizetype at = findHost(entries, t);
    if (at >= 0) {
        if (split(entries[at], false).Off) {
            entries[at] = hostPort(t);
        }
        return;
    }
    entries.append(t.Off ? hostPort(t) + kDisabledMark : hostPort(t));
}

void HostUpdate(QStringList &entries, const QString &text, const Ask &ask) {
    const HostParts t = split(text, true);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const HostParts e = split(entries[i], false);
        if (e.Host != t.Host) {
            continue;
        }
        if (e.Port == t.Port) {
            if (e.Off && !t.Off) {
                entries[i] = hostPort(t);
            }
            return;
        }
        const QString to = hostPort(t) + (e.Off ? kDisabledMark : QString());
        const Answer a = ask(QStringLiteral("Update Entries for ") + t.Host,
                             QStringLiteral("Would you like to Change ") + entries[i] +
                                 QStringLiteral(" to ") + to + QStringLiteral("?"));
        if (a == Answer::Cancel) {
            return;
        }
        if (a == Answer::Yes) {
            entries[i] = hostPort(t);
        }
    }
}

void HostSwitchOff(QStringList &entries, const QString &text) {
    const HostParts t = split(text, true);
    const qsizetype at = findHost(entries, t);
    if (at >= 0) {
        entries[at] = hostPort(t) + kDisabledMark;
        return;
    }
    HostAdd(entries, text);
}

void HostRemove(QStringList &entries, const QString &text, const Ask &ask) {
    const HostParts t = split(text, true);
    const qsizetype at = findHost(entries, t);
    if (at >= 0) {
        entries.removeAt(at);
        return;
    }
    if (!t.Port.isEmpty()) {
        return;
    }
    for (qsizetype i = 0; i < entries.size();) {
        if (split(entries[i], false).Host != t.Host) {
            ++i;
            continue;
        }
        const Answer a = ask(QStringLiteral("Remove all Entries for ") + t.Host,
                             QStringLiteral("Would you like to remove ") + entries[i]);
        if (a == Answer::Cancel) {
            return;
        }
        if (a == Answer::Yes) {
            entries.removeAt(i);
        } else {
            ++i;
        }
    }
}

void AlternateAdd(QStringList &entries, const QString &text) {
    const QString name = WithoutMark(text.trimmed());
    if (findNoCase(entries, name) >= 0) {
        return;
    }
    const qsizetype off = findNoCase(entries, name + kDisabledMark);
    if (off >= 0) {
        entries[off] = name;
        return;
    }
    entries.append(name);
}

void AlternateDisable(QStringList &entries, const QString &text) {
    const QString name = WithoutMark(text.trimmed());
    if (findNoCase(entries, name + kDisabledMark) >= 0) {
        return;
    }
    const qsizetype on = findNoCase(entries, name);
    if (on >= 0) {
        entries[on] = name + kDisabledMark;
        return;
    }
    entries.append(name + kDisabledMark);
}

void AlternateRemove(QStringList &entries, const QString &text) {
    const qsizetype at = findNoCase(entries, text.trimmed());
    if (at >= 0) {
        entries.removeAt(at);
    }
}

} // namespace SetupLists
