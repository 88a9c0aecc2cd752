// The version strings served from the generated version header.
#include "platform/shell/TZebVersionInfo.h"

#include "platform/shell/OrvaVersion.h"

const char *const TZebVersionInfo::kNames[kNameCount] = {
    "Comments",     "CompanyName",    "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFileName",
    "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild"};

QString TZebVersionInfo::StringValue(const QString &name) const {
    if (!HasInformation()) {
        return {};
    }
    static const struct {
        const char *name;
        const char *value;
    } values[] = {
        {"CompanyName", ORVA_COMPANY_NAME},
        {"FileDescription", "Orva terminal and request viewer, Pendra results editor"},
        {"FileVersion", ORVA_FILE_VERSION},
        {"InternalName", "orva"},
        {"OriginalFileName", "orva"},
        {"ProductName", ORVA_PRODUCT_NAME},
        {"ProductVersion", ORVA_PRODUCT_VERSION},
    };
    for (const auto &entry : values) {
        if (name == QLatin1String(entry.name)) {
            return QString::fromLatin1(entry.value);
        }
    }
    return {};
}

QString TZebVersionInfo::StringValue(int index) const {
    if (index < 0 || index >= kNameCount) {
        return {};
    }
    return StringValue(QString::fromLatin1(kNames[index]));
}
