#include "Settings.h"

#include "ProfileFile.h"

namespace kuz::settings {

SavedBoxes defaults() {
    return SavedBoxes{
        QStringLiteral("SQL Server Yetkilendirmesi"),
        QStringLiteral("localhost\\SQLEXPRESS"),
        QStringLiteral("sa"),
        QStringLiteral("qzt"),
        QStringLiteral("2024"),
    };
}

std::filesystem::path filePath() {
    return std::filesystem::current_path() / "KUZUtilSQL.INI";
}

SavedBoxes load() {
    const SavedBoxes d = defaults();
    ProfileFile file(filePath());
    SavedBoxes boxes;
    boxes.authentication = file.readString(section, keyAuthentication, d.authentication);
    boxes.server = file.readString(section, keyServer, d.server);
    boxes.user = file.readString(section, keyUser, d.user);
    boxes.password = file.readString(section, keyPassword, d.password);
    boxes.reportYear = file.readString(section, keyReportYear, d.reportYear);
    return boxes;
}

void saveConnection(const SavedBoxes& boxes) {
    ProfileFile file(filePath());
    file.writeString(section, keyAuthentication, boxes.authentication);
    file.writeString(section, keyServer, boxes.server);
    file.writeString(section, keyUser, boxes.user);
    file.writeString(section, keyPassword, boxes.password);
}

void saveReportYear(const QString& reportYear) {
    ProfileFile(filePath()).writeString(section, keyReportYear, reportYear);
}

} // namespace kuz::settings
