// Parsing of report messages: the two base64 blocks are cut out first, then the "KX_key~value"
// fields are walked by position, so that a value may hold "^" and "~" and the walk always ends.
#include "editor/report/TReportRecord.h"

#include "common/GDStringManip.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "editor/report/DynamicTarget.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

using namespace GDStringManip;

namespace {

const QByteArray kFieldStart = "KX_";
const QByteArray kNextField = "^KX_";

const char *const kReportKeys1 =
    "KX_TEMPLATE~^KX_REQCODE~^KX_PROCCODE~^KX_PATCODE~^KX_PATSUR~^KX_PATGIVEN~^KX_PATTITLE~^KX_PATADD1~"
    "^KX_PATADD2~^KX_PATADD3~^KX_PATPC~^KX_PATAGE~^KX_PATDOB~^KX_PATGENDER~^KX_TERM~^KX_DOCCODE~"
    "^KX_DOCSUR~^KX_DOCGIVEN~^KX_DOCTITLE~^KX_DOCADD1~^KX_DOCADD2~^KX_DOCADD3~^KX_DOCPC~"
    "^KX_DOCPROVIDER~^KX_DOCPHONE~^KX_WARD~^KX_WARDHIGHLIGHT~^KX_YOURREF~^KX_SERVICEDATE~^KX_PRINTER~"
    "^KX_FILEID~^KX_SCANID~^KX_B64DATA~^KX_COLLDATE~^KX_RECDATE~^KX_IMAGEBOX~^KX_REPORTDATE~"
    "^KX_PRINTDATE~^KX_VALIDATED~^KX_OTHERTESTS~^KX_REPORTFLAG~^KX_DEPARTMENT~";
const char *const kReportKeys2 =
    "KX_REPORTTITLE~^KX_SERVICEPROVIDER~^KX_INSTANTRETURN~^KX_PMASK~^KX_PMASK2~^KX_PDFDOC~"
    "^KX_RESULTTEXT~^KX_TEXTFONT~^KX_TEXTSIZE~^KX_PAPERTRAY~^KX_NOFOOTER~^KX_TPLOVERRIDE~"
    "^KX_ORIENTATION~^KX_SAVEDOC~^KX_APPROVALCHECK~^KX_DYNAMICRANGE~^KX_RETURNCONF~^KX_AUDIODATA~"
    "^KX_AUDIOFILE~";

// Cuts "KX_<key>~..." out of the body; the cleaned block goes to `out`. False when absent.
bool cutBlock(QByteArray &body, const QByteArray &marker, QByteArray &out) {
    const qsizetype at = body.indexOf(marker);
    if (at < 0)
        return false;
    const qsizetype start = at + marker.size();
    qsizetype end = body.indexOf(kNextField, at + 1);
    if (end < 0)
        end = body.size();
    out = RemoveChars(body.mid(start, end - start), QByteArray("\r\n\0^ ", 5));
    QByteArray before = body.left(at);
    if (end < body.size()) {
        body = before + body.mid(end + 1);
    } else {
        // The block was the last field: the "^" that joined it to the field before goes too, or
        // that field's value would end in "^".
        if (before.endsWith('^'))
            before.chop(1);
        body = before;
    }
    return true;
}

// A whole decimal number, or nothing (empty, junk or out of range).
std::optional<int> parseInt(const QByteArray &text) {
    int v = 0;
    const char *first = text.constData();
    const char *last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto r = std::from_chars(first, last, v);
    if (r.ec != std::errc() || r.ptr != last || first == last)
        return std::nullopt;
    return v;
}

int subNumber(const QByteArray &field, int whenEmpty, int whenBad) {
    if (field.isEmpty())
        return whenEmpty;
    return parseInt(field).value_or(whenBad);
}

int pointsToTwips(int points) {
    const qint64 twips = qint64(points) * 20;
    return int(std::clamp<qint64>(twips, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QByteArray withoutLineEnds(const QByteArray &text) {
    static const QByteArray kLineEnds = "\r\n";
    if (!text.contains('\r') && !text.contains('\n'))
        return text;
    return RemoveChars(text, kLineEnds);
}

bool isImageSuffix(const QString &suffix) {
    static const QStringList kSuffixes = {"bmp", "jpg", "jpeg", "png", "gif", "tif", "tiff"};
    return kSuffixes.contains(suffix.toLower());
}

} // namespace

TReportRecord::TReportRecord() {
    DynamicRangeDrawer = [](const QString &source, const QString &output, const QByteArray &label,
                            const QByteArray &percent) {
        tDynamicTarget target;
        return tDynamicTarget::ImageError(
            target.AddTarget(source, output, percent, HostText::toUnicode(label)));
    };
}
TReportRecord::~TReportRecord() = default;

TImageRecord ParseImageBox(const QByteArray &value) {
    TImageRecord box;
    box.FileName = ExtractField(value, ',', 1);
    box.PosX = pointsToTwips(subNumber(ExtractField(value, ',', 2), 0, 0));
    box.PosY = pointsToTwips(subNumber(ExtractField(value, ',', 3), 0, 0));
    box.ScaleX = subNumber(ExtractField(value, ',', 4), 0, 100);
    box.ScaleY = subNumber(ExtractField(value, ',', 5), 0, 100);
    box.FitWidth = subNumber(ExtractField(value, ',', 6), 0, 0);
    box.FitHeight = subNumber(ExtractField(value, ',', 7), 0, 0);
    box.FromMessage = true;
    box.ObjectMode = 0;
    box.TextFlow = 3;
    box.DistanceL = box.DistanceT = box.DistanceR = box.DistanceB = 20;
    return box;
}

void TReportRecord::Parse(const QByteArray &message) {
    ImageBoxes.clear();
    QByteArray body = message;
    cutBlock(body, "KX_B64DATA~", B64Data);
    cutBlock(body, "KX_AUDIODATA~", AudioData);
    body += kNextField;

    qsizetype pos = 0;
    for (;;) {
        const qsizetype keyAt = body.indexOf(kFieldStart, pos);
        if (keyAt < 0)
            break;
        const qsizetype start = keyAt + kFieldStart.size();
        const qsizetype end = body.indexOf(kNextField, start);
        if (end < 0)
            break;
        pos = end + 1;
        // The key runs to the first "~" of the field, the value from there to the field's end.
        const qsizetype tilde = QByteArrayView(body).sliced(start, end - start).indexOf('~');
        const QByteArray key = body.mid(start, tilde < 0 ? end - start : tilde);
        // An empty key (the closing "^KX_", or a stray "KX_^") is never registered.
        if (key.isEmpty())
            continue;
        const QByteArray raw =
            tilde < 0 ? QByteArray() : body.mid(start + tilde + 1, end - start - tilde - 1);
        const QByteArray value = withoutLineEnds(raw);

        if (key == "TEMPLATE") {
            Template = value;
        } else if (key == "PATGENDER") {
            SetValue(key, value.isEmpty() ? QByteArray(1, '\0') : value.left(1));
        } else if (key == "AUDIOFILE") {
            AudioFile = raw;
            SetValue(key, AudioFile);
        } else if (key == "NOFOOTER") {
            NoFooter = !value.isEmpty() && QByteArray("tTyY").contains(value.at(0));
        } else if (key == "EXTRADATA") {
            if (value.contains('|'))
                ExtraData.append("/" + TextAfter(value, "|").replace('|', '='));
        } else if (key == "RETURNCONF") {
            ReturnConf = value;
            SetValue(key, value);
        } else if (key == "PAPERTRAY") {
            PaperTray = value;
            SetValue(key, value);
        } else if (key == "TPLOVERRIDE") {
            TplOverride = value;
            SetValue(key, value);
        } else if (key == "RESULTTEXT") {
            ResultText = value;
            SetValue(key, value);
        } else if (key == "DYNAMICRANGE") {
            if (value.isEmpty())
                DynamicRangeErrors.clear();
            else
                dynamicRange(value);
        } else if (key == "IMAGEBOX") {
            if (!value.isEmpty())
                ImageBoxes.append(ParseImageBox(value));
        } else {
            SetValue(key, value);
        }
    }
}

// Both files are named by the host: each is read or written only under a configured root (after
// the path is made local), with a picture suffix and without any ".." step.
bool TReportRecord::dynamicRangeAllows(const QString &path) const {
    if (path.isEmpty() || path.split('/').contains(QStringLiteral("..")) ||
        !isImageSuffix(QFileInfo(path).suffix()))
        return false;
    for (const QString &root : DynamicRangeRoots) {
        const QString r = QDir::cleanPath(root) + '/';
        if (!root.isEmpty() && QDir::cleanPath(path).startsWith(r, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void TReportRecord::dynamicRange(const QByteArray &value) {
    const QString source = LocalPath::toLocalPath(HostText::toUnicode(ExtractField(value, ',', 1).trimmed()));
    const QString out = LocalPath::toLocalPath(HostText::toUnicode(ExtractField(value, ',', 2).trimmed()));
    const QByteArray label = ExtractField(value, ',', 3);
    const QByteArray percent = ExtractField(value, ',', 4).trimmed();
    if (!dynamicRangeAllows(out)) {
        DynamicRangeErrors += tDynamicTarget::ImageError(tDynamicTarget::SaveFailed) + "\r\n";
        return;
    }
    if (!dynamicRangeAllows(source)) {
        DynamicRangeErrors += tDynamicTarget::ImageError(tDynamicTarget::SourceNotLoaded) + "\r\n";
        return;
    }
    if (!DynamicRangeDrawer)
        return;
    const QByteArray error = DynamicRangeDrawer(source, out, label, percent);
    if (!error.isEmpty())
        DynamicRangeErrors += error + "\r\n";
}

namespace {
// Names match without regard to ASCII case, as the host's key names always have.
char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}
} // namespace

// FNV-1a over the folded bytes, then Qt's own mixing, so that names differing only in their last
// digit spread over the table.
size_t qHash(const TReportRecord::NameKey &key, size_t seed) {
    quint64 h = 14695981039346656037ULL;
    for (const char c : key.name)
        h = (h ^ uchar(foldCase(c))) * 1099511628211ULL;
    return ::qHash(h, seed);
}

bool operator==(const TReportRecord::NameKey &a, const TReportRecord::NameKey &b) {
    return a.name.compare(b.name, Qt::CaseInsensitive) == 0;
}

void TReportRecord::nameAdd(const QByteArray &name, int at) {
    Positions &positions = m_byName[NameKey{name}];
    // Entries are appended, so a new one goes last; only a renamed one can land before others.
    if (positions.isEmpty() || positions.last() < at)
        positions.append(at);
    else
        positions.insert(std::lower_bound(positions.begin(), positions.end(), at), at);
}

void TReportRecord::nameRemove(const QByteArray &name, int at) {
    const auto found = m_byName.find(NameKey{name});
    if (found == m_byName.end())
        return;
    found->removeOne(at);
    if (found->isEmpty())
        m_byName.erase(found);
}

int TReportRecord::append(std::unique_ptr<TReportValue> value) {
    const int at = int(Values.size());
    nameAdd(value->Name, at);
    m_byCode.insert(value->Code, m_byCode.value(value->Code, at));
    Values.push_back(std::move(value));
    return at;
}

int TReportRecord::IndexOfName(const QByteArray &name) const {
    const auto it = m_byName.constFind(NameKey{name});
    return it == m_byName.constEnd() ? -1 : it->first();
}

int TReportRecord::IndexOfCode(const QByteArray &code) const {
    return m_byCode.value(code, -1);
}

int TReportRecord::SetValue(const QByteArray &name, const QByteArray &text) {
    int i = IndexOfName(name);
    if (i < 0) {
        auto v = std::make_unique<TReportValue>();
        v->Name = name;
        i = append(std::move(v));
    }
    Values[size_t(i)]->Value = text;
    return i;
}

int TReportRecord::SetValueByCode(const QByteArray &code, const QByteArray &text) {
    int i = IndexOfCode(code);
    if (i < 0) {
        auto v = std::make_unique<TReportValue>();
        v->Code = code;
        i = append(std::move(v));
    }
    Values[size_t(i)]->Value = text;
    return i;
}

QByteArray TReportRecord::GetValue(const QByteArray &name) const {
    const int i = IndexOfName(name);
    return i < 0 ? QByteArray() : Values[size_t(i)]->Value;
}

QByteArray TReportRecord::GetValueByCode(const QByteArray &code) const {
    const int i = IndexOfCode(code);
    return i < 0 ? QByteArray() : Values[size_t(i)]->Value;
}

void TReportRecord::SetEntryTexts(int index, const QByteArray &name, const QByteArray &text) {
    if (index < 0 || size_t(index) >= Values.size())
        return;
    TReportValue &v = *Values[size_t(index)];
    nameRemove(v.Name, index);
    v.Name = name;
    nameAdd(name, index);
    v.Text = text;
}

void TReportRecord::LoadTags(const QByteArrayList &lines) {
    for (const QByteArray &raw : lines) {
        const QByteArray line = RemoveChars(raw, "\r\n");
        const QByteArray code = TextBefore(line, "|");
        // Blank lines and lines without a code would make entries with no code and no name.
        if (line.trimmed().isEmpty() || !line.contains('|') || code.isEmpty())
            continue;
        int i = IndexOfCode(code);
        if (i < 0)
            i = SetValueByCode(code, QByteArray());
        SetEntryTexts(i, ExtractField(line, '|', 2), QByteArray());
    }
}

void TReportRecord::ClearValues() {
    for (auto &v : Values)
        v->Value.clear();
}

void TReportRecord::FreeValues() {
    Values.clear();
    m_byName.clear();
    m_byCode.clear();
}

void LoadReportKeys(TReportRecord &record) {
    record.Parse(kReportKeys1);
    record.Parse(kReportKeys2);
    record.ExtraData.clear();
}

int PosFrom(const QByteArray &sub, const QByteArray &text, int start) {
    if (sub.isEmpty() || start < 1)
        return 0;
    const qsizetype at = text.indexOf(sub, start - 1);
    return at < 0 ? 0 : int(at) + 1;
}
