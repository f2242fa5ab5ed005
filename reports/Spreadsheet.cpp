#include "Spreadsheet.h"

#include "AtomicFile.h"

#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <xlsxwriter.h>

namespace kuz {

double spreadsheetSerial(const QDateTime& when) {
    const qint64 days = QDate(1899, 12, 30).daysTo(when.date());
    return static_cast<double>(days) + when.time().msecsSinceStartOfDay() / 86400000.0;
}

namespace {

struct WorkbookDeleter {
    // A workbook that was never closed is freed without writing anything.
    void operator()(lxw_workbook* w) const { lxw_workbook_free(w); }
};

// libxlsxwriter names its output file when the workbook is created, before the program knows
// where the workbook goes, and writes the file only when the workbook is closed. So the
// workbook is built in a private temporary folder and its finished bytes are then written to
// the target through a temporary file beside it, renamed into place.
class XlsxSpreadsheet : public Spreadsheet {
public:
    void newWorkbook() override {
        if (!folder_.isValid())
            throw std::runtime_error("Cannot create a temporary folder for the workbook");
        file_ = folder_.filePath(QStringLiteral("workbook.xlsx")).toStdString();
        lxw_workbook_options options{};
        options.constant_memory = LXW_FALSE;
        const std::string tmp = folder_.path().toStdString();
        options.tmpdir = const_cast<char*>(tmp.c_str());
        workbook_.reset(workbook_new_opt(file_.c_str(), &options));
        if (!workbook_)
            throw std::runtime_error("Cannot create a workbook");
        sheet_ = workbook_add_worksheet(workbook_.get(), nullptr);
        dateFormat_ = workbook_add_format(workbook_.get());
        format_set_num_format(dateFormat_, "dd.mm.yyyy");
        if (!sheet_ || !dateFormat_)
            throw std::runtime_error("Cannot create the workbook's sheet");
    }

    void writeText(int row, int column, const QString& text) override {
        const QByteArray utf8 = text.toUtf8();
        check(worksheet_write_string(sheet_, cellRow(row), cellColumn(column), utf8.constData(),
                                     nullptr));
    }
    void writeInteger(int row, int column, std::int32_t value) override {
        check(worksheet_write_number(sheet_, cellRow(row), cellColumn(column), value, nullptr));
    }
    void writeNumber(int row, int column, double value) override {
        check(worksheet_write_number(sheet_, cellRow(row), cellColumn(column), value, nullptr));
    }
    void writeDate(int row, int column, const QDateTime& when) override {
        check(worksheet_write_number(sheet_, cellRow(row), cellColumn(column),
                                     spreadsheetSerial(when), dateFormat_));
    }

    void saveAs(const std::filesystem::path& target) override {
        const std::string failure = "Cannot save the workbook " + target.string();
        lxw_error closed = workbook_close(workbook_.release());
        if (closed != LXW_NO_ERROR)
            throw std::runtime_error(failure + ": " + lxw_strerror(closed));
        std::ifstream in(file_, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof())
            throw std::runtime_error(failure);
        writeFileAtomically(target, bytes, 0644, failure);
    }

    void close() override { workbook_.reset(); }
    void quit() override { folder_.remove(); }

private:
    static lxw_row_t cellRow(int row) { return static_cast<lxw_row_t>(row - 1); }
    static lxw_col_t cellColumn(int column) { return static_cast<lxw_col_t>(column - 1); }
    static void check(lxw_error e) {
        if (e != LXW_NO_ERROR)
            throw std::runtime_error(std::string("Cannot write a workbook cell: ") +
                                     lxw_strerror(e));
    }

    QTemporaryDir folder_;
    std::string file_;
    std::unique_ptr<lxw_workbook, WorkbookDeleter> workbook_;
    lxw_worksheet* sheet_ = nullptr;   // owned by the workbook
    lxw_format* dateFormat_ = nullptr; // owned by the workbook
};

} // namespace

std::unique_ptr<Spreadsheet> openSpreadsheet() {
    return std::make_unique<XlsxSpreadsheet>();
}

} // namespace kuz
