// The word processor's document without any widget: main text, header and footer as three
// QTextDocuments, the page set-up, the field side table and the linked pictures.
#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTextCharFormat>
#include <QTextDocument>
#include <functional>
#include <memory>

namespace orva::richtext {

// Character property carrying a field's id on each character of the field.
inline constexpr int FieldIdProperty = QTextFormat::UserProperty + 1;

// Document units are 1/96 inch; the control's interface speaks twips (1/1440 inch).
inline constexpr double TwipsPerUnit = 15.0;
inline int unitsToTwips(double units) {
    return qRound(units * TwipsPerUnit);
}
inline double twipsToUnits(int twips) {
    return twips / TwipsPerUnit;
}

// Active part codes used by ActivateHeaderFooter and HeaderFooter.
enum TWpPart { PartHeader = 1, PartFooter = 4, PartMain = 16 };

struct TWpFieldInfo {
    bool changeable = true;
    int data = 0;
    int lastStart = -1; // where the field was last seen, so enumeration survives its removal
};

struct TWpPicture {
    int id = 0;
    QString path;           // as stored: a host UNC path stays UNC
    int posX = 0, posY = 0; // twips from the page's top left corner
    int scaleX = 100, scaleY = 100;
    int objectMode = 0, textFlow = 0;
    int distL = 0, distT = 0, distR = 0, distB = 0;
    bool operator==(const TWpPicture &) const = default;
};

struct TWpPageSetup {
    int width = 11910, height = 16845; // A4 in twips
    int marginL = 0, marginT = 0, marginR = 0, marginB = 0;
    bool operator==(const TWpPageSetup &) const = default;
};

class TWpDocument : public QObject {
    Q_OBJECT
public:
    explicit TWpDocument(QObject *parent = nullptr);
    ~TWpDocument() override;

    QTextDocument *main() const { return m_main.get(); }
    QTextDocument *header() const { return m_header.get(); }
    QTextDocument *footer() const { return m_footer.get(); }
    QTextDocument *part(int code) const;

    TWpPageSetup page;
    QList<TWpPicture> pictures;

    // Empties all three parts and forgets fields and pictures; the page set-up stays.
    void clear();

    // Fields.
    QMap<int, TWpFieldInfo> &fieldTable() { return m_fields; }
    const QMap<int, TWpFieldInfo> &fieldTable() const { return m_fields; }
    int newFieldId();
    bool fieldExists(int id) const;
    // Field ids of a part in the order of their first character.
    QList<int> fieldOrder(QTextDocument *doc) const;
    // The [start, end) range of a field in a part; false when it has no characters.
    bool fieldRange(QTextDocument *doc, int id, int &start, int &end) const;
    // Next field after `id` (0: the first) in position order, 0 at the end. A field that was
    // removed meanwhile is looked up by its last known start, so none is skipped or repeated.
    int nextField(QTextDocument *doc, int id);
    static int fieldIdAt(QTextDocument *doc, int pos);
    // Every field run of a part, in position order, found in one walk of the text (a field whose
    // characters were split by other text gives one run per piece).
    struct FieldSpan {
        int id = 0, start = 0, end = 0;
    };
    static QList<FieldSpan> fieldSpans(QTextDocument *doc);

    // Pictures.
    int newPictureId();
    int addPicture(TWpPicture picture);
    // Maps a stored picture path to a local file path (identity until the integrator sets it).
    std::function<QString(const QString &)> pathLookup = [](const QString &p) { return p; };

    // The text of a part, one character per document position: paragraph ends are "\r",
    // line breaks "\v", table cell and frame boundaries "\r" too. The final implicit
    // paragraph end is not included.
    static QString plainText(QTextDocument *doc);
    static QString plainText(QTextDocument *doc, int start, int end);

    void setupPageSize();

private:
    std::unique_ptr<QTextDocument> m_main, m_header, m_footer;
    QMap<int, TWpFieldInfo> m_fields;
    int m_nextPictureId = 1;
};

} // namespace orva::richtext
