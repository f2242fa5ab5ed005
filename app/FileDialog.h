#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace kuz {

// A file dialog that remembers the full path last chosen in it. The choosing itself goes
// through a replaceable function, so tests pick a file or cancel without a real dialog.
class FileDialog {
public:
    enum class Kind { Open, Save };
    using Chooser = std::function<std::optional<QString>(Kind, const QString& proposed)>;

    explicit FileDialog(Kind kind) : kind_(kind) {}

    // Shows the dialog with fileName proposed; true when the user chose a file, whose path
    // (with ".SQL" added to a name typed without an extension) is then fileName.
    bool execute(QWidget* parent);

    QString fileName;

    // Replaces the real dialog for every FileDialog; an empty function restores it.
    static void setChooser(Chooser chooser);

private:
    Kind kind_;
};

} // namespace kuz
