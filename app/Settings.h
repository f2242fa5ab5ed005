#pragma once

#include <QString>
#include <filesystem>

namespace kuz {

// The five texts of the main window kept from one run to the next, in the file
// KUZUtilSQL.INI of the current directory (section MSSQL). The path is taken anew at every
// access, so a change of the current directory moves later writes with it.
struct SavedBoxes {
    QString authentication; // ComboBox1
    QString server;         // Edit1
    QString user;           // Edit2
    QString password;       // Edit3
    QString reportYear;     // Edit10
};

namespace settings {

inline const QString section = QStringLiteral("MSSQL");
inline const QString keyAuthentication = QStringLiteral("Yetkilendirme");
inline const QString keyServer = QStringLiteral("Sunucu");
inline const QString keyUser = QStringLiteral("Kullanici");
inline const QString keyPassword = QStringLiteral("Parola");
inline const QString keyReportYear = QStringLiteral("NO");

SavedBoxes defaults();
std::filesystem::path filePath();

// Reads the five keys in the order above, each with its default.
SavedBoxes load();
// Writes Yetkilendirme, Sunucu, Kullanici and Parola, in that order.
void saveConnection(const SavedBoxes& boxes);
// Writes NO alone.
void saveReportYear(const QString& reportYear);

} // namespace settings
} // namespace kuz
