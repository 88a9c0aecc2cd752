// Resolving AUDIOFILE names.
#include "dictation/audiotask/AudioFileResolver.h"

#include "common/HostText.h"
#include "common/LocalPath.h"

#include <QDir>
#include <QRegularExpression>

namespace {

bool hasControls(const QString &text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

// Every part between separators is a plain name: no "." or ".." that could climb out.
bool plainParts(const QString &path) {
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    for (const QString &part : path.split(separators, Qt::SkipEmptyParts))
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    return true;
}

} // namespace

TAudioFileRef ResolveAudioFile(const QByteArray &name, const QString &workFolder) {
    TAudioFileRef ref;
    const QString text = HostText::toUnicode(name.trimmed());
    if (text.isEmpty())
        return ref;
    ref.kind = TAudioFileRef::Kind::Refused;
    if (hasControls(text))
        return ref;
    if (!text.contains(QLatin1Char('/')) && !text.contains(QLatin1Char('\\'))) {
        if (text == QLatin1String(".") || text == QLatin1String("..") || workFolder.isEmpty())
            return ref;
        ref.kind = TAudioFileRef::Kind::WorkFile;
        ref.path = QDir(workFolder).filePath(text);
        return ref;
    }
    const QString mapped = LocalPath::mappedPath(text);
    if (mapped.isEmpty() || !plainParts(text))
        return ref;
    ref.kind = TAudioFileRef::Kind::Shared;
    ref.path = mapped;
    return ref;
}
