// The report message the host sends to open a report or a dictation task, parsed into a record of
// named values, picture boxes and the large base64 blocks. Host bytes throughout.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QVarLengthArray>
#include <functional>
#include <memory>
#include <vector>

// One named value of a report.
class TReportValue {
public:
    QByteArray Code;  // tag code from "tags.txt"; empty for keys that came only from a message
    QByteArray Name;  // key name, case kept as first registered
    QByteArray Text;  // third text of the entry
    QByteArray Value; // the value
};

// One picture box: a picture placed on the page of the report.
struct TImageRecord {
    QByteArray FileName;
    int PosX = 0, PosY = 0; // twips
    int ScaleX = 0, ScaleY = 0;
    int FitWidth = 0, FitHeight = 0;
    int ObjectMode = 0;
    int TextFlow = 0;
    int DistanceL = 0, DistanceT = 0, DistanceR = 0, DistanceB = 0;
    int ObjectId = 0;
    bool FromMessage = false;
    bool operator==(const TImageRecord &) const = default;
};
using TImageRecordArray = QList<TImageRecord>;

// Draws the marker picture of a DYNAMICRANGE field (source picture and output file as local paths,
// label, position in percent). Returns an empty text on success, else the error line to record.
using TDynamicRangeDrawer = std::function<QByteArray(const QString &source, const QString &output,
                                                     const QByteArray &label, const QByteArray &percent)>;

class TReportRecord {
public:
    TReportRecord();
    ~TReportRecord();
    TReportRecord(const TReportRecord &) = delete;
    TReportRecord &operator=(const TReportRecord &) = delete;

    QByteArray Template;
    QByteArray B64Data;
    QByteArray ResultText;
    QByteArray AudioData;
    QByteArray AudioFile;
    TImageRecordArray ImageBoxes;
    QByteArrayList ExtraData;
    QByteArray PaperTray;
    bool NoFooter = false;
    QByteArray TplOverride;
    QByteArray DynamicRangeErrors;
    QByteArray ReturnConf;
    // The entries in the order they were registered. Change them only through the methods below,
    // which keep the look-up by name and by code in step.
    std::vector<std::unique_ptr<TReportValue>> Values;

    // Parses one message body; values already present stay unless the message sets them.
    void Parse(const QByteArray &message);

    int SetValue(const QByteArray &name, const QByteArray &text);
    int SetValueByCode(const QByteArray &code, const QByteArray &text);
    QByteArray GetValue(const QByteArray &name) const;
    QByteArray GetValueByCode(const QByteArray &code) const;
    int IndexOfName(const QByteArray &name) const;
    int IndexOfCode(const QByteArray &code) const;
    void SetEntryTexts(int index, const QByteArray &name, const QByteArray &text);
    // Lines of "tags.txt": code|name|...
    void LoadTags(const QByteArrayList &lines);
    void ClearValues();
    void FreeValues();
    QByteArray GetProcCode() const { return GetValue("ProcCode"); }
    QByteArray GetReqCode() const { return GetValue("ReqCode"); }

    // The DYNAMICRANGE drawer; until one is installed the fields are read and nothing is drawn.
    TDynamicRangeDrawer DynamicRangeDrawer;
    // Folders a DYNAMICRANGE picture may be read from and written under (local paths): the work
    // folder and the mapped network folders; empty refuses all.
    QStringList DynamicRangeRoots;

    // A name as a key of the look-up, matched without regard to ASCII case.
    struct NameKey {
        QByteArray name;
    };

private:
    // Positions in Values of each name, lowest first: a name can be carried
    // twice when "tags.txt" gives one to an entry that already exists, and renames move entries.
    // Codes never change, so the first entry of each is enough.
    void nameAdd(const QByteArray &name, int at);
    void nameRemove(const QByteArray &name, int at);
    int append(std::unique_ptr<TReportValue> value);
    void dynamicRange(const QByteArray &value);
    bool dynamicRangeAllows(const QString &path) const;

    using Positions = QVarLengthArray<int, 1>;
    QHash<NameKey, Positions> m_byName;
    QHash<QByteArray, int> m_byCode;
};

size_t qHash(const TReportRecord::NameKey &key, size_t seed = 0);
bool operator==(const TReportRecord::NameKey &a, const TReportRecord::NameKey &b);

// Registers every known key with an empty value, then empties ExtraData.
void LoadReportKeys(TReportRecord &record);

// 1-based position of `sub` in `text` at or after `start`; 0 when none (or `sub` is empty).
int PosFrom(const QByteArray &sub, const QByteArray &text, int start);

// One IMAGEBOX value as a picture box (sub-fields separated by ",").
TImageRecord ParseImageBox(const QByteArray &value);
