#include "FileDialog.h"

#include "ScriptFile.h"

#include <QFileDialog>
#include <QFileInfo>

namespace kuz {
namespace {

FileDialog::Chooser& chooser() {
    static FileDialog::Chooser instance;
    return instance;
}

std::optional<QString> realDialog(QWidget* parent, FileDialog::Kind kind, const QString& proposed) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(kind == FileDialog::Kind::Open ? QFileDialog::AcceptOpen
                                                        : QFileDialog::AcceptSave);
    // A name that does not exist passes the open dialog; opening it then says why it failed.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

} // namespace

void FileDialog::setChooser(Chooser c) {
    chooser() = std::move(c);
}

bool FileDialog::execute(QWidget* parent) {
    const std::optional<QString> chosen =
        chooser() ? chooser()(kind_, fileName) : realDialog(parent, kind_, fileName);
    if (!chosen)
        return false;
    QString path = *chosen;
    if (kind_ == Kind::Save || !QFileInfo::exists(path))
        path = withDefaultExtension(path);
    fileName = QFileInfo(path).absoluteFilePath();
    return true;
}

} // namespace kuz
