// Object requests that the main window carries out itself.
#include "app/pipeline/ClientCommands.h"

#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/Trace.h"
#include "hostforms/protocol/HostProtocol.h"
#include "platform/files/PrivateFile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QByteArray THostAbbreviations::value(const QByteArray &name) const {
    const QByteArray key = name.toLower();
    for (const auto &entry : List) {
        if (entry.first.toLower() == key) {
            return entry.second;
        }
    }
    return {};
}

void THostAbbreviations::setValue(const QByteArray &name, const QByteArray &text) {
    const QByteArray key = name.toLower();
    for (auto &entry : List) {
        if (entry.first.toLower() == key) {
            entry.second = text;
            return;
        }
    }
    List.append({name, text});
}

void THostAbbreviations::appendEntry(const QByteArray &entry) {
    const qsizetype eq = entry.indexOf('=');
    if (eq < 0) {
        List.append({entry, QByteArray()});
    } else {
        List.append({entry.left(eq), entry.mid(eq + 1)});
    }
}

ClientCommands::ClientCommands(PipelineSinks &sinks, Defer defer, QString captureDirectory)
    : CaptureDirectory(std::move(captureDirectory)), m_sinks(sinks), m_defer(std::move(defer)) {}

QByteArray ClientCommands::captureTransform(const QByteArray &bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        if (c == '\x02') {
            out += '\xFC';
        } else if (c == '\x03') {
            out += '\xFD';
        } else if (c == '\xD0') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

void ClientCommands::writeCapture(const QByteArray &bytes) {
    if (bytes.isEmpty() || !Capture.isOn()) {
        return;
    }
    const QString name = Capture.fileName();
    if (!Capture.write(captureTransform(bytes))) {
        ORVA_TRACE("host capture write failed", name + QStringLiteral(": ") + Capture.errorString());
        m_sinks.HostCaptureChanged(false);
    }
}

QByteArray ClientCommands::handleobject(const QByteArray &text) {
    if (text.isEmpty()) {
        ORVA_TRACE("handleobject", HostProtocol::E001());
        return HostProtocol::E001();
    }
    TObjectRequest r;
    const QByteArray parsed = r.Parse(text);
    if (parsed != "OK") {
        ORVA_TRACE("handleobject", HostText::toUnicode(parsed));
        return parsed;
    }
    if (r.RequestType >= int(HostProtocol::RequestType::Create) &&
        r.RequestType <= int(HostProtocol::RequestType::LastContainer)) {
        m_sinks.ExecuteRequest(text);
        return {};
    }
    if (r.RequestType == int(HostProtocol::RequestType::ClientCommand)) {
        clientCommand(r);
        return {};
    }
    const QByteArray e003 = HostProtocol::E003(r.RequestType);
    ORVA_TRACE("handleobject", HostText::toUnicode(e003));
    return e003;
}

void ClientCommands::clientCommand(const TObjectRequest &r) {
    int code = 0;
    if (!ObjectRequestNumber::parseWhole(r.commandEntry(0), code)) {
        ORVA_TRACE("client command code is not a number", HostText::toUnicode(r.commandEntry(0)));
        return;
    }
    switch (ClientCommandCode(code)) {
    case ClientCommandCode::OpenFile:
        openFile(r.commandEntry(1), r.commandEntry(2));
        break;
    case ClientCommandCode::StartCapture:
        startCapture(r.commandEntry(1));
        break;
    case ClientCommandCode::StopCapture:
        stopCapture();
        break;
    case ClientCommandCode::Abbreviation:
        abbreviation(r);
        break;
    case ClientCommandCode::Information: {
        const QString caption = HostText::toUnicode(r.commandEntry(1));
        const QString message = HostText::toUnicode(r.commandEntry(2));
        m_defer([this, caption, message] { m_sinks.Messages().information(caption, message); });
        break;
    }
    default:
        ORVA_TRACE("client command unknown", code);
        break;
    }
}

namespace {

// A host path's last part, cut at "\", "/" and ":" whatever the local file system's rules are.
QByteArray filePart(const QByteArray &hostPath) {
    qsizetype cut = -1;
    for (char c : {'\\', '/', ':'}) {
        cut = qMax(cut, hostPath.lastIndexOf(c));
    }
    return hostPath.mid(cut + 1);
}

bool isUnder(const QString &path, const QString &folder) {
    return path.startsWith(folder.endsWith('/') ? folder : folder + '/');
}

} // namespace

void ClientCommands::openFile(const QByteArray &entry1, const QByteArray &entry2) {
    const QByteArray name = filePart(entry1).toUpper();
    if (name == "ORVAIMAGE") {
        m_sinks.ShowImageList(entry2 + ',');
        return;
    }
    if (name == "ORVAAUDIO") {
        const QList<QByteArray> parts = entry2.split(',');
        int position = 0;
        if (parts.size() > 1 && parts[0].toUpper() == "PLAYFROM" &&
            ObjectRequestNumber::parseWhole(parts[1].trimmed(), position)) {
            m_sinks.SetDictationPlayPosition(position);
        }
        return;
    }
    const QString local = LocalPath::toLocalPath(HostText::toUnicode(entry1));
    if (local.isEmpty()) {
        return;
    }
    const qsizetype slash = local.lastIndexOf('/');
    const QString workingDir = slash < 0 ? QString() : local.left(slash);
    if (entry2.isEmpty()) {
        m_sinks.OpenDocument(local);
    } else {
        m_sinks.StartProgram(local, QProcess::splitCommand(HostText::toUnicode(entry2)), workingDir);
    }
}

QString ClientCommands::captureTarget(const QByteArray &hostPath, char &reply) const {
    reply = '2';
    if (hostPath.isEmpty() || filePart(hostPath).isEmpty()) {
        return {};
    }
    reply = '3';
    const QString local = LocalPath::toLocalPath(HostText::toUnicode(hostPath));
    for (const QString &part : local.split('/')) {
        if (part == QLatin1String("..")) {
            return {};
        }
    }
    if (!ImportTarget.isEmpty() && QDir::cleanPath(QFileInfo(local).absoluteFilePath()) == ImportTarget) {
        reply = '2';
        const QFileInfo chosen(ImportTarget);
        if (chosen.isSymLink() || chosen.isDir() || !chosen.absoluteDir().exists()) {
            return {};
        }
        reply = '\x03';
        return ImportTarget;
    }
    const QString base = QDir::cleanPath(QDir(CaptureDirectory).absolutePath());
    const bool driveLetter = local.size() > 1 && local[1] == ':' && local[0].isLetter();
    if (driveLetter) {
        return {}; // an unmapped Windows drive lies outside the capture folder
    }
    const QString full = QDir::cleanPath(QDir::isAbsolutePath(local) ? local : base + '/' + local);
    if (!isUnder(full, base)) {
        return {};
    }
    if (!PrivateFile::makeFolder(base)) {
        return {};
    }
    // A link inside the capture folder must not lead the file out of it, nor make folders out
    // there: each level is checked where it really leads before the next one is made.
    const QString realBase = QFileInfo(base).canonicalFilePath();
    if (realBase.isEmpty()) {
        return {};
    }
    const QString dir = QFileInfo(full).absolutePath();
    QString at = base;
    for (const QString &part : dir.mid(base.size()).split('/', Qt::SkipEmptyParts)) {
        at += '/' + part;
        const QString real = QFileInfo(at).canonicalFilePath();
        if (real.isEmpty()) {
            if (QFileInfo(at).isSymLink() || !PrivateFile::makeFolder(at)) {
                return {}; // a dangling link, or a folder that cannot be made
            }
        } else if (real != realBase && !isUnder(real, realBase)) {
            return {};
        }
    }
    const QString realDir = QFileInfo(dir).canonicalFilePath();
    if (realDir.isEmpty() || (realDir != realBase && !isUnder(realDir, realBase))) {
        return {};
    }
    reply = '2';
    if (QFileInfo(full).isSymLink() || QFileInfo(full).isDir()) {
        return {};
    }
    reply = '\x03';
    return full;
}

void ClientCommands::startCapture(const QByteArray &entry1) {
    if (Capture.isOn()) {
        Capture.close();
        m_sinks.HostCaptureChanged(false);
    }
    char answer = '2';
    const QString target = captureTarget(entry1, answer);
    if (target.isEmpty()) {
        ORVA_TRACE("host capture refused", HostText::toUnicode(entry1));
        reply(answer);
        return;
    }
    if (!Capture.open(target)) {
        ORVA_TRACE("host capture file not created", target + QStringLiteral(": ") + Capture.errorString());
        reply('2');
        return;
    }
    m_sinks.HostCaptureChanged(true);
    reply('\x03');
}

void ClientCommands::stopCapture() {
    if (!Capture.isOn()) {
        reply('3');
        return;
    }
    const bool closed = Capture.close();
    if (!closed) {
        ORVA_TRACE("host capture not written", Capture.errorString());
    }
    m_sinks.HostCaptureChanged(false);
    reply(closed ? '\x03' : '3');
}

void ClientCommands::abbreviation(const TObjectRequest &r) {
    QByteArray key = r.commandEntry(1).toLower();
    key.replace(' ', QByteArray());
    const QList<QByteArray> entries = r.Fields();
    Abbreviations.ListCreated = true;
    if (key == "systemabrreset") {
        Abbreviations.List.clear();
        Abbreviations.AbbreviationStatus = "reset";
    } else if (key == "systemabrappend" || key == "systemabrreplace") {
        if (key == "systemabrreplace") {
            Abbreviations.List.clear();
        }
        for (qsizetype i = 2; i < entries.size(); ++i) {
            Abbreviations.appendEntry(entries[i]);
        }
        Abbreviations.AbbreviationStatus = key == "systemabrreplace" ? "replace" : "append";
    } else if (key == "systemabrnotfound") {
        Abbreviations.AbbreviationStatus = "!!NOT FOUND!!";
        Abbreviations.LookupAnswer = "!!NOT FOUND!!";
        Abbreviations.LookupName.clear();
    } else if (entries.size() >= 3) {
        const QByteArray name = r.commandEntry(1).toLower().trimmed();
        Abbreviations.setValue(name, r.commandEntry(2));
        Abbreviations.AbbreviationStatus = r.commandEntry(2);
        Abbreviations.LookupAnswer = r.commandEntry(2);
        Abbreviations.LookupName = name;
    }
}

void ClientCommands::reply(char byte) {
    if (HostLink *link = m_sinks.Link()) {
        link->Send(QByteArray(1, byte));
    }
}
