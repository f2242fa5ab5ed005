// The report commands of the main window and the grid window, against the stand-in's sample
// data: which databases get which workbook, what the memo and the marks show afterwards.
#include "AssetStatements.h"
#include "Forms3.h"
#include "KuzApplication.h"
#include "Unit1.h"
#include "support/ErrorBoxCatcher.h"
#include "support/MainWindowHelpers.h"
#include "support/StandinServer.h"
#include "support/TestFolders.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <memory>
#include <optional>

using namespace kuz;
using namespace kuz::test;

class ReportsWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StandinServer> server;
    std::optional<TempFolder> dir;
    std::optional<CurrentDirectory> cwd;
    std::unique_ptr<TAxFirm1> window;
    const QString y = QString::number(thisYear());

    QString db(const char* company) const {
        return u"KUZ_"_qs + QString::fromLatin1(company) + u'_' + y;
    }

    QStringList workbooks() const {
        QStringList out;
        for (const auto& e : std::filesystem::directory_iterator(dir->path()))
            if (e.path().extension() == ".xlsx")
                out << QString::fromStdString(e.path().filename().string());
        out.sort();
        return out;
    }

    void makeCurrent(const QString& database) {
        window->memo().replace(u"USE "_qs + database);
        press(window->Button3);
        QCOMPARE(window->ADOConnection1.currentDatabase(), database);
    }

private slots:
    void initTestCase() { server = std::make_unique<StandinServer>(); }
    void cleanupTestCase() { server.reset(); }

    void init() {
        dir.emplace();
        cwd.emplace(dir->path());
        window = std::make_unique<TAxFirm1>();
        window->show();
        window->Edit1->setText(QString::fromStdString(server->address()));
        window->Edit2->setText(QStringLiteral("sa"));
        window->Edit3->setText(QString::fromLatin1(StandinServer::password));
        window->Edit10->setText(y);
        press(window->Button5);
        QCOMPARE(window->CheckListBox1->count(), 4);
    }

    void cleanup() {
        window.reset();
        cwd.reset();
        dir.reset();
    }

    void theBatchUseReportsOnTheCurrentDatabaseOnly() {
        makeCurrent(db("ANKARA"));
        window->CheckBox2->setChecked(true);
        press(window->Button1);
        QCOMPARE(workbooks(), QStringList{db("ANKARA") + u"_Detay.xlsx"_qs});
        QCOMPARE(checkedItems(*window).size(), 4); // marks unchanged
        QVERIFY(!window->Form3->isVisible());
        QCOMPARE(window->memo().text(), detailStatement(y));
        QVERIFY(window->ADOQuery11.recordCount() > 0);
        window->CheckBox3->setChecked(true);
        press(window->Button9);
        QCOMPARE(workbooks(),
                 (QStringList{db("ANKARA") + u"_Detay.xlsx"_qs, db("ANKARA") + u"_Ozet.xlsx"_qs}));
        QVERIFY(!window->Form3->isVisible());
    }

    void withNothingCheckedTheInteractiveUseReportsOnTheCurrentDatabase() {
        makeCurrent(db("BURSA"));
        setMarks(*window, {});
        const size_t sent = server->batches().size();
        press(window->Button9);
        QCOMPARE(server->batches().size(), sent + 1); // only the report statement
        QCOMPARE(workbooks(), QStringList{db("BURSA") + u"_Ozet.xlsx"_qs});
        QVERIFY(window->Form3->isVisible());
        QAbstractItemModel* grid = window->Form3->cxGrid1DBTableView1->model();
        QCOMPARE(grid->rowCount(), static_cast<int>(window->ADOQuery11.recordCount()));
        QVERIFY(grid->rowCount() > 0);
        QCOMPARE(grid->index(0, 8).data().toString(), QStringLiteral("0")); // DONEM
    }

    void twoDatabasesGetTheStatementAndTheLastOneItsWorkbook() {
        setMarks(*window, {db("IZMIR"), db("KONYA")});
        const size_t mark = server->batches().size();
        press(window->Button1);
        QCOMPARE(checkedItems(*window), QStringList());
        QCOMPARE(window->ADOConnection1.currentDatabase(), db("KONYA"));
        QCOMPARE(workbooks(), QStringList{db("KONYA") + u"_Detay.xlsx"_qs});
        QCOMPARE(window->memo().text(), detailStatement(y));
        QVERIFY(window->Form3->isVisible());
        QVERIFY(window->ADOQuery11.recordCount() > 0);
        // The batch run sent the detail statement as a command in each database.
        int runs = 0;
        const std::vector<std::string> sent = server->batches();
        for (size_t i = mark; i < sent.size(); ++i)
            runs +=
                sent[i].find("DMHYIL LIKE '" + y.toStdString() + "'   \\r\\n") != std::string::npos;
        QCOMPARE(runs, 3); // IZMIR, KONYA, then the report itself
    }

    void theDetailCommandWithTheSummaryBoxMakesSummariesForEachDatabase() {
        setMarks(*window, {db("IZMIR"), db("KONYA")});
        window->CheckBox3->setChecked(true);
        press(window->Button1);
        QCOMPARE(workbooks(),
                 (QStringList{db("IZMIR") + u"_Ozet.xlsx"_qs, db("KONYA") + u"_Detay.xlsx"_qs,
                              db("KONYA") + u"_Ozet.xlsx"_qs}));
        QCOMPARE(window->memo().text(), summaryStatement(y)); // put there last
        QVERIFY(window->Form3->isVisible());
        QAbstractItemModel* grid = window->Form3->cxGrid1DBTableView1->model();
        QVERIFY(grid->rowCount() > 0);
        QVERIFY(grid->index(0, 8).data().toString() != u"0"_qs); // the detail rows
    }

    void aYearMatchingNothingGivesCaptionsOnlyAndAnEmptyGrid() {
        makeCurrent(db("ANKARA"));
        setMarks(*window, {});
        window->Edit10->setText(QStringLiteral("1900"));
        press(window->Button1);
        QVERIFY(window->Form3->isVisible());
        QCOMPARE(window->Form3->cxGrid1DBTableView1->model()->rowCount(), 0);
        QVERIFY(std::filesystem::file_size(*dir /
                                           (db("ANKARA") + u"_Detay.xlsx"_qs).toStdString()) > 0);
        // The same report again, for another year, replaces the file.
        const std::string before =
            readFile(*dir / (db("ANKARA") + u"_Detay.xlsx"_qs).toStdString());
        window->Edit10->setText(y);
        press(window->Button1);
        QVERIFY(readFile(*dir / (db("ANKARA") + u"_Detay.xlsx"_qs).toStdString()) != before);
        QCOMPARE(workbooks().size(), 1);
    }

    void aReportFailingInTheBatchKeepsTheMarkAndWritesNothing() {
        // The masters have no fixed-asset tables.
        window->CheckBox1->setChecked(true);
        window->Edit8->setText(QStringLiteral("KUZ_%"));
        press(window->Button2);
        setMarks(*window, {db("ANKARA"), u"KUZ_MASTER"_qs, u"KUZ_MASTERV8"_qs});
        window->CheckBox2->setChecked(true);
        ErrorBoxCatcher box;
        press(window->BitBtn1);
        QTRY_COMPARE(box.count, 1);
        QCOMPARE(box.text, QStringLiteral("Invalid object name 'DEMKART'."));
        QCOMPARE(workbooks(), QStringList{db("ANKARA") + u"_Detay.xlsx"_qs});
        QCOMPARE(checkedItems(*window), (QStringList{u"KUZ_MASTER"_qs, u"KUZ_MASTERV8"_qs}));
    }

    void theGridWindowHasTheReportsColumns() {
        TForm3& form = *window->Form3;
        QAbstractItemModel* grid = form.cxGrid1DBTableView1->model();
        QCOMPARE(grid->columnCount(), 21);
        QCOMPARE(grid->headerData(0, Qt::Horizontal).toString(), QStringLiteral("KOD"));
        QCOMPARE(grid->headerData(8, Qt::Horizontal).toString(), QStringLiteral("DONEM"));
        QCOMPARE(grid->headerData(10, Qt::Horizontal).toString(), QStringLiteral("DÜZ.SON.AKTİF"));
        QCOMPARE(grid->headerData(20, Qt::Horizontal).toString(), QStringLiteral("TOPAKTIFDEGER"));
        QCOMPARE(form.cxGrid1DBTableView1->columnWidth(1), 251);
        QCOMPARE(form.cxGrid1DBTableView1->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(form.cxGrid1DBTableView1->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(form.cxGrid1DBTableView1->isColumnHidden(12));
        // The header's column list shows DEG.ART.FON unchecked; checking it shows the column.
        std::unique_ptr<QMenu> menu = form.columnMenu();
        QAction* fund = menu->actions().at(12);
        QCOMPARE(fund->text(), QStringLiteral("DEG.ART.FON"));
        QVERIFY(!fund->isChecked());
        fund->setChecked(true);
        QVERIFY(!form.cxGrid1DBTableView1->isColumnHidden(12));
        QCOMPARE(form.cxGrid1DBTableView1->horizontalHeader()->contextMenuPolicy(),
                 Qt::CustomContextMenu);
    }
};

int main(int argc, char** argv) {
    KuzApplication app(argc, argv);
    ReportsWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "reports_window_test.moc"
