// Setup file parser. Every key is matched after removing blanks and lower-casing; the key-map and
// substitution families are kept as raw pairs in file order for the key-map parser.
#include "common/SetupFile.h"

#include "common/GDStringManip.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "platform/files/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <charconv>
#include <optional>

using namespace GDStringManip;

namespace SetupFile {

namespace {

std::optional<int> wholeNumber(const QByteArray &raw) {
    const QByteArray text = raw.trimmed();
    int v = 0;
    const char *begin = text.constData();
    const char *end = begin + text.size();
    if (!text.isEmpty() && *begin == '+') {
        ++begin;
    }
    auto [p, ec] = std::from_chars(begin, end, v);
    if (begin == end || ec != std::errc() || p != end) {
        return std::nullopt;
    }
    return v;
}

} // namespace

QByteArray TrimValue(const QByteArray &v) {
    qsizetype b = 0;
    qsizetype e = v.size();
    while (b < e && static_cast<unsigned char>(v[b]) <= 0x20) {
        ++b;
    }
    while (e > b && static_cast<unsigned char>(v[e - 1]) <= 0x20) {
        --e;
    }
    return v.mid(b, e - b);
}

QByteArray Quoted(const QByteArray &v) {
    return TextBetween(v, "\"", "\"");
}

QByteArray NormalisedKey(const QByteArray &keyPart) {
    return RemoveChar(keyPart, ' ').toLower();
}

namespace {

bool readBoolean(const QByteArray &v, bool fallback) {
    const QByteArray l = v.trimmed().toLower();
    if (l == "true") {
        return true;
    }
    if (l == "false") {
        return false;
    }
    if (const auto n = wholeNumber(l)) {
        return *n != 0;
    }
    return fallback;
}

QString withTrailingDelimiter(const QString &path) {
    if (path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/'))) {
        return path;
    }
    // Keep the path's own style: a Linux path gets "/", a Windows one "\".
    const bool windows = path.contains(QLatin1Char('\\')) || !path.contains(QLatin1Char('/'));
    return path + (windows ? QLatin1Char('\\') : QLatin1Char('/'));
}

} // namespace

QList<QByteArray> SplitLines(const QByteArray &text) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.append(text.mid(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.append(text.mid(start));
    }
    return lines;
}

namespace {

std::optional<TCaptureSet> parseCaptureSet(const QByteArray &value) {
    const QByteArray row = TextBefore(value, ",");
    const QByteArray rest1 = TextAfter(value, ",");
    const QByteArray column = TextBefore(rest1, ",");
    const QByteArray rest2 = TextAfter(rest1, ",");
    const QByteArray length = TextBefore(rest2, ":");
    const QByteArray marker = RemoveChar(TextAfter(rest2, ":"), '"');
    const auto r = wholeNumber(row);
    const auto c = wholeNumber(column);
    const auto l = wholeNumber(length);
    if (!r || !c || !l || marker.isEmpty() || *r < 1 || *c < 1 || *l < 1) {
        return std::nullopt;
    }
    return TCaptureSet{*r, *c, *l, marker};
}

} // namespace

THostParts SplitHostText(const QByteArray &raw) {
    const QByteArray value = raw.trimmed();
    if (value.startsWith('[') && value.contains(']')) {
        const QByteArray after = TextAfter(value, "]");
        return {TextBetween(value, "[", "]").trimmed(), after.startsWith(':'), after.mid(1).trimmed()};
    }
    // An IPv6 address has colons of its own: without brackets it carries no port.
    if (value.count(':') != 1) {
        return {value, false, {}};
    }
    return {TextBefore(value, ":").trimmed(), true, TextAfter(value, ":").trimmed()};
}

QPair<QByteArray, int> SplitHostPort(const QByteArray &raw, int fallbackPort) {
    const THostParts parts = SplitHostText(raw);
    if (!parts.HasPort) {
        return {parts.Host, fallbackPort};
    }
    const auto port = wholeNumber(parts.Port);
    return {parts.Host, port ? *port : 23};
}

QString DefaultResultDirectory() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.cache");
    }
    const QString dir = base + QStringLiteral("/orva");
    PrivateFile::makeFolder(dir);
    return dir + QLatin1Char('/');
}

namespace {

// Folders whose final value waits for the whole file: a pathmap line may come after them.
struct PendingFolders {
    QString resultDirectory;
    QString customDictionary;
};

// The keys matched by containment or by family (key maps and colour swaps, kept as raw pairs).
bool applyListKey(TOrvaSettings &s, const QByteArray &rawKey, const QByteArray &key,
                  const QByteArray &value) {
    const QByteArray family = TextBefore(rawKey, "-").toUpper();
    if (key.contains("showwarnings")) {
        const char first = static_cast<char>(QChar::toUpper(static_cast<unsigned char>(value[0])));
        s.ShowWarnings = first == 'Y' || first == 'T';
    } else if (rawKey.contains('-') && (family == "KEYMAP" || family == "KEYMAP_EX")) {
        if (s.KeyMapLines.size() < TOrvaSettings::kMaxKeyMaps) {
            s.KeyMapLines.append({rawKey, value});
        } else {
            s.Problems.append(QStringLiteral("key map entry over the limit of 50 skipped: ") +
                              HostText::toUnicode(rawKey));
        }
    } else if (rawKey.contains('-') && (family == "COLOUR" || family == "SWAP")) {
        s.SwapLines.append({rawKey, value});
    } else {
        return false;
    }
    return true;
}

// Folders, image sources and image names, and the path map that translates them.
bool applyFolderKey(TOrvaSettings &s, PendingFolders &pending, const QByteArray &key, const QString &path) {
    if (key == "templatedirectory") {
        s.TemplateDirectory = path;
    } else if (key == "rtfabbreviationdirectory") {
        s.AbbreviationDirectory = path;
    } else if (key == "rtfresultdirectory") {
        pending.resultDirectory = withTrailingDelimiter(path);
    } else if (key == "capturedirectory") {
        s.CaptureDirectory = withTrailingDelimiter(path);
    } else if (key == "scandirectory") {
        s.ScanDirectory = withTrailingDelimiter(path);
    } else if (key == "customdictionary") {
        pending.customDictionary = path;
    } else if (key == "sourcedirectory") {
        s.ImageSources[0] = withTrailingDelimiter(path);
    } else if (key == "alternatesource") {
        // A source without its delimiter would never match the masked path appended to it.
        s.ImageSources.append(withTrailingDelimiter(path));
    } else if (key == "subdirectory") {
        s.SubDirectoryMask = path;
    } else if (key == "noimagename") {
        s.NoImageName = path;
    } else if (key == "secureimagename") {
        s.SecureImageName = path;
    } else if (key == "pathmap") {
        const qsizetype arrow = path.indexOf(QStringLiteral("=>"));
        if (arrow > 0) {
            s.PathMap.append({path.left(arrow).trimmed(), path.mid(arrow + 2).trimmed()});
        } else {
            s.Problems.append(QStringLiteral("path map line without \"=>\": ") + path);
        }
    } else {
        return false;
    }
    return true;
}

// The host, the login, the printer, capture sets and what the program may use.
bool applySessionKey(TOrvaSettings &s, const QByteArray &key, const QByteArray &value, const QString &path) {
    if (key == "imagetools") {
        s.ImageTools = value.toLower() == "yes";
    } else if (key == "mciextensions") {
        QStringList list;
        for (const QByteArray &part : value.split(',')) {
            for (const QByteArray &word : part.simplified().split(' ')) {
                const QString ext = HostText::toUnicode(word).toUpper().remove(QLatin1Char('.'));
                if (!ext.isEmpty() && !list.contains(ext))
                    list.append(ext);
            }
        }
        s.MciExtensions = list;
    } else if (key == "printeravailable") {
        s.PrinterAvailable = value.toLower() == "yes";
    } else if (key == "haltonserverfail") {
        s.HaltOnServerFail = value.toLower() != "no";
    } else if (key == "hostname") {
        const auto [host, port] = SplitHostPort(value, s.HostPort);
        s.HostName = host;
        s.HostPort = port;
    } else if (key == "loginconversation") {
        s.LoginConversation = value;
    } else if (key == "scrolllines") {
        if (const auto n = wholeNumber(value)) {
            s.ScrollLines = *n;
        }
    } else if (key == "captureset") {
        const auto set = parseCaptureSet(value);
        if (!set) {
            s.Problems.append(QStringLiteral("capture set not usable: ") + path);
        } else if (s.CaptureSets.size() >= TOrvaSettings::kMaxCaptureSets) {
            s.Problems.append(QStringLiteral("capture set over the limit of 10 skipped: ") + path);
        } else {
            s.CaptureSets.append(*set);
        }
    } else if (key == "enablepcbeep") {
        s.EnablePCBeep = value.toLower();
    } else if (key == "keysetquery") {
        s.KeySetQuery = Quoted(value);
    } else if (key == "keysetreply") {
        s.KeySetReply = Quoted(value);
    } else if (key == "printername") {
        const QByteArray name = Quoted(value);
        if (!name.isEmpty()) {
            s.PrinterName = HostText::toUnicode(name);
        }
    } else {
        return false;
    }
    return true;
}

// The host's transfer replies and the screen's colours and graphics font.
bool applyScreenKey(TOrvaSettings &s, const QByteArray &key, const QByteArray &value) {
    if (key == "d3listnofile") {
        s.D3ListNoFile = value;
    } else if (key == "d3listnoitem") {
        s.D3ListNoItem = value;
    } else if (key == "d3listboth") {
        s.D3ListBoth = value;
    } else if (key == "d3copyok") {
        s.D3CopyOk = value;
    } else if (key == "d3filed") {
        s.D3Filed = Quoted(value);
    } else if (key == "foregroundcolors") {
        s.ForegroundColors = value;
    } else if (key == "backgroundcolors") {
        s.BackgroundColors = value;
    } else if (key == "boldforegroundcolors") {
        s.BoldForegroundColors = value;
    } else if (key == "usegraphicsfont") {
        s.UseGraphicsFont = readBoolean(value, true);
    } else if (key == "graphicsfontresource") {
        s.GraphicsFontResource = wholeNumber(value).value_or(0);
    } else {
        return false;
    }
    return true;
}

// The folders become local paths once the whole file is read, and the defaults fill what is unset.
void translateFolders(TOrvaSettings &s, PendingFolders &pending) {
    QString &resultDirectory = pending.resultDirectory;
    QString &customDictionary = pending.customDictionary;
    // Translated after the whole file is read: a pathmap line may come after the folder it maps.
    const auto local = [&s](QString &value, const char *key, bool folder) {
        bool unmapped = false;
        QString mapped = LocalPath::translate(value, s.PathMap, &unmapped);
        if (unmapped) {
            s.UnmappedPaths.append(QLatin1String(key) + QStringLiteral(" = ") + value);
            return false;
        }
        if (folder && !mapped.isEmpty() && !mapped.endsWith(QLatin1Char('/'))) {
            mapped += QLatin1Char('/');
        }
        value = mapped;
        return true;
    };
    // Work files are never written to a place nobody meant: an unmapped folder gives the default.
    if (!resultDirectory.isEmpty() && !local(resultDirectory, "rtfresultdirectory", true)) {
        resultDirectory.clear();
    }
    if (!s.CaptureDirectory.isEmpty() && !local(s.CaptureDirectory, "capturedirectory", true)) {
        s.CaptureDirectory.clear();
    }
    if (!s.ScanDirectory.isEmpty() && !local(s.ScanDirectory, "scandirectory", true)) {
        s.ScanDirectory.clear();
    }
    local(s.TemplateDirectory, "templatedirectory", true);
    local(s.AbbreviationDirectory, "rtfabbreviationdirectory", true);
    if (!customDictionary.isEmpty() && local(customDictionary, "customdictionary", false) &&
        QFileInfo::exists(customDictionary)) {
        s.CustomDictionary = customDictionary;
    }
    for (qsizetype i = 0; i < s.ImageSources.size(); ++i) {
        QString checked = s.ImageSources.at(i);
        local(checked, i == 0 ? "sourcedirectory" : "alternatesource", true);
    }
    s.ResultDirectory = resultDirectory.isEmpty() ? DefaultResultDirectory() : resultDirectory;
    if (s.CaptureDirectory.isEmpty()) {
        s.CaptureDirectory = s.ResultDirectory + QStringLiteral("capture/");
    }
    if (s.D3Filed.isEmpty()) {
        s.D3Filed = TOrvaSettings().D3Filed;
    }
}

} // namespace

TOrvaSettings Parse(const QByteArray &text, const QString &programDir) {
    TOrvaSettings s;
    // The user's own words are the user's: kept with the user's settings, made on the first Add.
    Q_UNUSED(programDir);
    s.CustomDictionary = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/orva/Custom.dic");
    PendingFolders pending;

    for (const QByteArray &line : SplitLines(text)) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) {
            continue;
        }
        const QByteArray rawKey = RemoveChar(line.left(eq), ' ');
        const QByteArray value = TrimValue(line.mid(eq + 1));
        // "*" comments a line out and "+" marks an entry switched off; neither is ever applied,
        // not even for the one key that is matched by containment.
        if (rawKey.isEmpty() || value.isEmpty() || rawKey.startsWith('*') || rawKey.startsWith('+')) {
            continue;
        }
        const QByteArray key = rawKey.toLower();
        const QString path = HostText::toUnicode(value);
        // Each key belongs to one group at most; a key no group knows is not ours and is left alone.
        if (!applyListKey(s, rawKey, key, value) && !applyFolderKey(s, pending, key, path) &&
            !applySessionKey(s, key, value, path))
            applyScreenKey(s, key, value);
    }
    translateFolders(s, pending);
    return s;
}

QByteArray LoginPrompt(const QByteArray &conversation) {
    return TextBetween(conversation, "see \"", "\" ");
}

QByteArray LoginReply(const QByteArray &conversation) {
    return TextBetween(conversation, "answer \"", "\"");
}

QByteArray WithLoginReply(const QByteArray &conversation, const QByteArray &reply) {
    return TextBefore(conversation, "answer ") + "answer \"" + reply + '"';
}

QByteArray DefaultSetupText() {
    static const char *const keyNames[] = {"F1",           "F2",
                                           "F3",           "F4",
                                           "F5",           "F6",
                                           "F7",           "F8",
                                           "F9",           "F10",
                                           "F11",          "F12",
                                           "UP ARROW",     "DN ARROW",
                                           "LF ARROW",     "RT ARROW",
                                           "TAB",          "LF TAB",
                                           "PG UP",        "PG DN",
                                           "INSERT",       "HOME",
                                           "DELETE",       "END",
                                           "KEY PAD PLUS", "KEY PAD SLASH",
                                           "KEY PAD STAR", "KEY PAD MINUS"};
    QList<QByteArray> lines = {
        "+++ Orva Settings +++",
        "note: use \"*\" to comment out settings.",
        "",
        "+++ Common Settings ++++",
        "+Source directory = \\\\imageserver\\images\\",
        "+alternate source = \\\\imageserver2\\images\\",
        "subdirectory = ****....",
        "no image name = noimage.png",
        "printer available = yes",
        "halt on server fail = no",
        "captureset = 2,1,18:\"REQUEST:\"",
        "+++ Settings for VT ++++",
        "host name = 127.0.0.1",
        "+port num = 2023",
        "scroll lines = 500",
        "login conversation = see \"\" answer \"\"",
        "enable PC beep = yes",
        "keysetquery = \"whoareu\"",
        "keysetreply = \"orvavt\"",
        "printer name = \"\"",
        "+++ D3 import/export ++++",
        "d3list nofile = 10",
        "d3list noitem = 202",
        "d3list both = 405",
        "d3copy ok = 805",
        "*d3filed = \"[221] '##d3 item## ' filed.\"",
        "+++ OrvaVT KEY REMAPPING",
    };
    for (const char *name : keyNames) {
        lines.append(QByteArray("keymap-") + name + " = ");
    }
    lines.append("Foreground Colors = ");
    lines.append("Background Colors = ");
    lines.append("BoldForeground Colors =");
    return lines.join("\r\n");
}

} // namespace SetupFile
