// The batch run, the prepared statements and the table browser of the main window, against
// the stand-in; its log shows what the server received, in order.
#include "KuzApplication.h"
#include "Unit1.h"
#include "support/ErrorBoxCatcher.h"
#include "support/MainWindowHelpers.h"
#include "support/RawOdbc.h"
#include "support/StandinServer.h"
#include "support/TestFolders.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <memory>
#include <optional>

using namespace kuz;
using namespace kuz::test;

class BatchWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StandinServer> server;
    std::optional<TempFolder> dir;
    std::optional<CurrentDirectory> cwd;
    std::unique_ptr<TAxFirm1> window;
    const std::string y = std::to_string(thisYear());

    QString db(const char* company) const {
        return QStringLiteral("KUZ_%1_%2").arg(QString::fromLatin1(company)).arg(thisYear());
    }

    // The batches the server received since a mark.
    std::vector<std::string> batchesSince(size_t mark) const {
        std::vector<std::string> all = server->batches();
        return {all.begin() + static_cast<std::ptrdiff_t>(mark), all.end()};
    }

    QStringList tables() const {
        QStringList out;
        QAbstractItemModel* m = window->DBGrid2->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 0).data().toString();
        out.sort();
        return out;
    }

private slots:
    void initTestCase() {
        server = std::make_unique<StandinServer>();
        RawConnection c(server->odbcString());
        RawStatement(c).run("CREATE DATABASE [KUZ_AÇIK ŞİRKET_" + y + "]");
    }
    void cleanupTestCase() { server.reset(); }

    void init() {
        dir.emplace();
        cwd.emplace(dir->path());
        window = std::make_unique<TAxFirm1>();
        window->show();
        window->Edit1->setText(QString::fromStdString(server->address()));
        window->Edit2->setText(QStringLiteral("sa"));
        window->Edit3->setText(QString::fromLatin1(StandinServer::password));
        press(window->Button5);
        QCOMPARE(window->CheckListBox1->count(), 5);
    }

    void cleanup() {
        window.reset();
        cwd.reset();
        dir.reset();
    }

    void theScriptRunsOnceInEachCheckedDatabaseInListOrder() {
        setMarks(*window, {db("ANKARA"), db("IZMIR")});
        window->memo().replace(QStringLiteral("UPDATE SABITLER SET SABITKONU = SABITKONU"));
        const size_t mark = server->batches().size();
        press(window->BitBtn1);
        const std::vector<std::string> expected = {
            "master\tUSE [KUZ_ANKARA_" + y + "]\\r\\n",
            "KUZ_ANKARA_" + y + "\tUPDATE SABITLER SET SABITKONU = SABITKONU\\r\\n",
            "KUZ_ANKARA_" + y + "\tUSE [KUZ_IZMIR_" + y + "]\\r\\n",
            "KUZ_IZMIR_" + y + "\tUPDATE SABITLER SET SABITKONU = SABITKONU\\r\\n"};
        QCOMPARE(batchesSince(mark), expected);
        QCOMPARE(checkedItems(*window), QStringList());
        QCOMPARE(window->statusText(), db("IZMIR"));
        QCOMPARE(window->ADOConnection1.currentDatabase(), db("IZMIR"));
        QVERIFY(window->findChild<QProgressBar*>(QStringLiteral("BatchProgress"))->isHidden());
    }

    void aFailingDatabaseKeepsItsMarkAndTheNextPressResumesThere() {
        // The script fails where DEMHAR is missing: in the database with a blank in its name.
        const QString odd = QStringLiteral("KUZ_AÇIK ŞİRKET_%1").arg(thisYear());
        setMarks(*window, {db("ANKARA"), odd, db("KONYA")});
        window->memo().replace(QStringLiteral("SELECT COUNT(*) FROM DEMHAR"));
        ErrorBoxCatcher box;
        press(window->BitBtn1);
        QTRY_COMPARE(box.count, 1);
        QCOMPARE(box.text, QStringLiteral("Invalid object name 'DEMHAR'."));
        QCOMPARE(checkedItems(*window), (QStringList{odd, db("KONYA")}));
        QCOMPARE(window->statusText(), db("ANKARA"));
        QCOMPARE(window->ADOConnection1.currentDatabase(), odd); // its USE succeeded

        window->memo().replace(QStringLiteral("SELECT 1"));
        const size_t mark = server->batches().size();
        press(window->BitBtn1);
        QCOMPARE(checkedItems(*window), QStringList());
        QVERIFY(batchesSince(mark).front().ends_with("\tUSE [KUZ_AÇIK ŞİRKET_" + y + "]\\r\\n"));
        QCOMPARE(window->statusText(), db("KONYA"));
    }

    void anEmptyMemoFailsAfterTheFirstUse() {
        setMarks(*window, {db("BURSA"), db("KONYA")});
        window->memo().clear();
        ErrorBoxCatcher box;
        const size_t mark = server->batches().size();
        press(window->BitBtn1);
        QTRY_COMPARE(box.count, 1);
        QCOMPARE(box.text, QStringLiteral("ADOQuery1: Missing SQL property."));
        QCOMPARE(batchesSince(mark).size(), size_t(1));
        QCOMPARE(checkedItems(*window), (QStringList{db("BURSA"), db("KONYA")}));
    }

    void thePreparedStatementsReplaceTheMemo() {
        ErrorBoxCatcher box;
        window->memo().replace(QStringLiteral("eski metin"));
        press(window->EFatSif);
        press(window->EFatSif);
        QCOMPARE(window->memo().text(),
                 QStringLiteral("SELECT * FROM SABITLER WHERE SABITMODUL='22' AND "
                                "SABITKONU>='38' ORDER BY SABITKONU \r\n"));
        press(window->Button223);
        QVERIFY(window->memo().text().contains(u"SABITMODUL='25' AND SABITKONU>='40'"_qs));
        window->Edit10->setText(QStringLiteral("1001"));
        press(window->BitBtn2);
        QVERIFY(window->memo().text().contains(u"MUHHARREFNO='1001' GROUP BY"_qs));
        QVERIFY(window->memo().text().endsWith(u"MUHHARBATIPI \r\n"_qs));
        // The voucher statement runs as written against the sample data.
        window->CheckListBox1->setCurrentRow(0);
        setMarks(*window, {db("ANKARA")});
        QTest::mouseClick(
            window->CheckListBox1->viewport(), Qt::LeftButton, {},
            window->CheckListBox1->visualItemRect(window->CheckListBox1->item(0)).center() +
                QPoint(20, 0));
        press(window->Button4);
        QCOMPARE(box.text, QString());
        QVERIFY(window->ADOQuery1.isOpen());
        QVERIFY(window->ADOQuery1.recordCount() > 0);
    }

    void clickingTheListSwitchesToEveryCheckedDatabaseAndListsTheTables() {
        setMarks(*window, {db("ANKARA"), db("BURSA")});
        const size_t mark = server->batches().size();
        QListWidget* list = window->CheckListBox1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(4)).center() + QPoint(20, 0));
        const std::vector<std::string> sent = batchesSince(mark);
        QCOMPARE(sent.size(), size_t(3));
        QVERIFY(sent[0].ends_with("USE [KUZ_ANKARA_" + y + "]\\r\\n"));
        QVERIFY(sent[1].ends_with("USE [KUZ_BURSA_" + y + "]\\r\\n"));
        QVERIFY(sent[2].ends_with("select name from sys.tables Where name Like '%'\\r\\n"));
        QCOMPARE(window->statusText(), db("BURSA"));
        QCOMPARE(tables(),
                 (QStringList{u"DEMHAR"_qs, u"DEMKART"_qs, u"MUHHAR"_qs, u"SABITLER"_qs}));

        window->Edit9->setText(QStringLiteral("DEM"));
        QCOMPARE(tables(), (QStringList{u"DEMHAR"_qs, u"DEMKART"_qs}));
        window->Edit9->setText(QStringLiteral("%HAR"));
        QCOMPARE(tables(), (QStringList{u"DEMHAR"_qs, u"MUHHAR"_qs}));

        // A double click appends the SELECT line for the current table.
        window->memo().replace(QStringLiteral("-- tablolar"));
        window->DBGrid2->setCurrentIndex(window->DBGrid2->model()->index(1, 0));
        const QString chosen = window->DBGrid2->currentIndex().data().toString();
        window->DBGrid2DblClick();
        QCOMPARE(window->memo().text(), u"-- tablolar\r\nSELECT * FROM "_qs + chosen + u' ');

        window->Edit9->setText(QStringLiteral("MUH"));
        window->memo().clear();
        window->DBGrid2DblClick();
        QCOMPARE(window->memo().text(), u"SELECT * FROM MUHHAR \r\n"_qs);

        // An apostrophe is only text to the filter: nothing matches.
        window->Edit9->setText(QStringLiteral("a'"));
        QCOMPARE(tables(), QStringList());
        window->memo().clear();
        window->DBGrid2DblClick(); // an empty list: the empty name
        QCOMPARE(window->memo().text(), u"SELECT * FROM  \r\n"_qs);
    }

    void aDoubleClickOnAClosedTableListAndARefusedUse() {
        ErrorBoxCatcher box;
        window->memo().clear();
        QTest::mouseDClick(window->DBGrid2->viewport(), Qt::LeftButton);
        QTRY_COMPARE(box.count, 1);
        QCOMPARE(box.text, QStringLiteral("ADOQuery3: Field 'name' not found."));
        QCOMPARE(window->memo().text(), QString());

        // A database that went away after the list was filled.
        RawConnection c(server->odbcString());
        RawStatement(c).run("CREATE DATABASE KUZ_GIDEN_" + y);
        press(window->Button2);
        RawStatement(c).run("DROP DATABASE KUZ_GIDEN_" + y);
        setMarks(*window, {db("ANKARA"), u"KUZ_GIDEN_"_qs + QString::number(thisYear())});
        QListWidget* list = window->CheckListBox1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center() + QPoint(20, 0));
        QTRY_COMPARE(box.count, 2);
        QVERIFY(box.text.startsWith(u"Database 'KUZ_GIDEN_"_qs));
        QCOMPARE(window->statusText(), db("ANKARA"));
        QVERIFY(!window->ADOQuery3.isOpen());
    }
};

int main(int argc, char** argv) {
    KuzApplication app(argc, argv);
    BatchWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "batch_window_test.moc"
