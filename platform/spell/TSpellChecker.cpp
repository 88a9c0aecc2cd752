// The spell checker over hunspell.
#include "platform/spell/TSpellChecker.h"

#include "platform/files/SharedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <hunspell/hunspell.hxx>

namespace {

// The words the editor checks are runs of ASCII letters; the dictionaries may be in any 8-bit
// encoding or UTF-8, which agree on those.
std::string bytes(const QString &word) {
    return word.toUtf8().toStdString();
}

QStringList readLines(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QString t = QString::fromUtf8(line).trimmed();
        if (!t.isEmpty())
            lines.append(t);
    }
    return lines;
}

} // namespace

TSpellChecker::TSpellChecker() = default;
TSpellChecker::~TSpellChecker() = default;

bool TSpellChecker::Open(const QString &mainDictionary, const QString &customDictionary) {
    m_hunspell.reset();
    const QString aff = mainDictionary + QStringLiteral(".aff");
    const QString dic = mainDictionary + QStringLiteral(".dic");
    if (!QFileInfo::exists(aff) || !QFileInfo::exists(dic))
        return false;
    m_hunspell =
        std::make_unique<Hunspell>(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData());
    m_customPath = customDictionary;
    m_custom = readLines(customDictionary);
    for (const QString &w : std::as_const(m_custom))
        m_hunspell->add(bytes(w));
    m_autoCorrect.clear();
    if (!customDictionary.isEmpty()) {
        const QString list = QFileInfo(customDictionary).dir().filePath(QStringLiteral("autocorrect.txt"));
        for (const QString &line : readLines(list)) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0)
                m_autoCorrect.insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
        }
    }
    return true;
}

bool TSpellChecker::Check(const QString &word) const {
    if (!m_hunspell || m_ignored.contains(word.toLower()))
        return true;
    return m_hunspell->spell(bytes(word));
}

QString TSpellChecker::AutoCorrect(const QString &word) const {
    const QString key = word.toLower();
    if (const auto it = m_changeAll.find(key); it != m_changeAll.end())
        return *it;
    return m_autoCorrect.value(key);
}

QStringList TSpellChecker::Suggestions(const QString &word) const {
    QStringList out;
    if (!m_hunspell)
        return out;
    for (const std::string &s : m_hunspell->suggest(bytes(word)))
        out.append(QString::fromUtf8(s.data(), qsizetype(s.size())));
    return out;
}

void TSpellChecker::ChangeAll(const QString &word, const QString &replacement) {
    m_changeAll.insert(word.toLower(), replacement);
}

void TSpellChecker::IgnoreAll(const QString &word) {
    m_ignored.insert(word.toLower());
}

void TSpellChecker::Add(const QString &word) {
    if (word.isEmpty() || m_custom.contains(word))
        return;
    m_custom.append(word);
    if (m_hunspell)
        m_hunspell->add(bytes(word));
}

bool TSpellChecker::SaveCustom(QString *error) {
    if (m_customPath.isEmpty()) {
        if (error)
            *error = QStringLiteral("No custom dictionary is named.");
        return false;
    }
    // The setup file may name one dictionary for the whole laboratory.
    QByteArray data;
    for (const QString &w : std::as_const(m_custom))
        data += w.toUtf8() + '\n';
    return SharedFile::makeFolder(QFileInfo(m_customPath).absolutePath(), error) &&
           SharedFile::save(m_customPath, data, error);
}
