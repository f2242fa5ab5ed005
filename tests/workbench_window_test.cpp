// The script memo, the file commands, ExecSQL and Open with the result window, against the
// stand-in.
#include "KuzApplication.h"
#include "Query.h"
#include "QueryModel.h"
#include "Unit1.h"
#include "Unit2.h"
#include "support/ErrorBoxCatcher.h"
#include "support/MainWindowHelpers.h"
#include "support/StandinServer.h"
#include "support/TestFolders.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <memory>
#include <optional>

using namespace kuz;
using namespace kuz::test;

class WorkbenchWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StandinServer> server;
    std::optional<TempFolder> dir;
    std::optional<CurrentDirectory> cwd;
    std::unique_ptr<TAxFirm1> window;
    // What the fake dialogs are asked and answer.
    QStringList proposals;
    std::optional<QString> answer;

    void connectToStandin() {
        window->Edit1->setText(QString::fromStdString(server->address()));
        window->Edit2->setText(QStringLiteral("sa"));
        window->Edit3->setText(QString::fromLatin1(StandinServer::password));
        press(window->Button5);
        QCOMPARE(window->Button5->text(), QStringLiteral("Bağlandı"));
    }

    QString path(const char* name) const { return QString::fromStdString((*dir / name).string()); }

private slots:
    void initTestCase() { server = std::make_unique<StandinServer>(); }
    void cleanupTestCase() { server.reset(); }

    void init() {
        dir.emplace();
        cwd.emplace(dir->path());
        window = std::make_unique<TAxFirm1>();
        window->show();
        proposals.clear();
        answer.reset();
        FileDialog::setChooser([this](FileDialog::Kind, const QString& proposed) {
            proposals << proposed;
            return answer;
        });
    }

    void cleanup() {
        FileDialog::setChooser({});
        window.reset();
        cwd.reset();
        dir.reset();
    }

    void theMemoEditsLikeAScriptEditor() {
        QPlainTextEdit* memo = window->Memo1;
        QVERIFY(memo->font().bold());
        QVERIFY(memo->tabChangesFocus());
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("SELECT 1"));
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, QStringLiteral("GO"));
        QCOMPARE(window->memo().text(), QStringLiteral("SELECT 1\r\nGO"));
        window->memo().appendLine(QStringLiteral("SELECT 2"));
        QCOMPARE(window->memo().text(), QStringLiteral("SELECT 1\r\nGO\r\nSELECT 2"));
        window->memo().clear();
        window->memo().appendLine(QStringLiteral("L"));
        QCOMPARE(window->memo().text(), QStringLiteral("L\r\n"));
        // A command's replacement of the text can be undone.
        window->memo().replace(QStringLiteral("SELECT * FROM DEMKART\r\n"));
        memo->undo();
        QCOMPARE(window->memo().text(), QStringLiteral("L\r\n"));
    }

    void cancelledDialogsChangeNothing() {
        window->memo().replace(QStringLiteral("kalsın"));
        press(window->Button6);
        press(window->Button7);
        QCOMPARE(window->memo().text(), QStringLiteral("kalsın"));
        QCOMPARE(proposals, (QStringList{QString(), QString()}));
        QVERIFY(std::filesystem::is_empty(dir->path()));
    }

    void saveProposesTheLastOpenedFile() {
        writeFile(*dir / "a.sql", "SELECT 'a'\nGO\n");
        answer = path("a.sql");
        press(window->Button6);
        QCOMPARE(window->memo().text(), QStringLiteral("SELECT 'a'\r\nGO\r\n"));
        press(window->Button7); // proposes a.sql; confirming overwrites it with CR LF
        QCOMPARE(proposals.last(), path("a.sql"));
        QCOMPARE(readFile(*dir / "a.sql"), std::string("SELECT 'a'\r\nGO\r\n"));
        answer = path("b"); // typed without an extension
        press(window->Button7);
        QVERIFY(std::filesystem::exists(*dir / "b.SQL"));
        press(window->Button8); // New keeps both remembered paths
        QCOMPARE(window->memo().text(), QString());
        answer.reset();
        press(window->Button7);
        QCOMPARE(proposals.last(), path("a.sql")); // the open dialog's path wins
    }

    void aUnicodeScriptIsSavedBackInItsEncoding() {
        const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("\x1E\x01\r\0\n\0", 6);
        writeFile(*dir / "u.sql", utf16);
        answer = path("u.sql");
        press(window->Button6);
        QCOMPARE(window->memo().text(), QStringLiteral("Ğ\r\n"));
        press(window->Button7);
        QCOMPARE(readFile(*dir / "u.sql"), utf16);
    }

    void openAndSaveFailuresNameTheFile() {
        window->memo().replace(QStringLiteral("kalsın"));
        answer = path("yok.sql");
        ErrorBoxCatcher box;
        press(window->Button6);
        QTRY_COMPARE(box.count, 1);
        QCOMPARE(box.text, u"Cannot open file "_qs + path("yok.sql") +
                               u'.'); // the box ends it with a full stop
        QCOMPARE(window->memo().text(), QStringLiteral("kalsın"));
        writeFile(*dir / "eski.sql", "eski");
        window->OpenDialog1.fileName.clear();
        answer = path("eski.sql");
        {
            ImmutableFolder locked(dir->path());
            press(window->Button7);
            QTRY_COMPARE(box.count, 2);
        }
        QCOMPARE(box.text, u"Cannot create file "_qs + path("eski.sql") + u'.');
        QCOMPARE(readFile(*dir / "eski.sql"), std::string("eski"));
    }

    void execSqlRunsTheWholeMemoAndNamesTheCurrentDatabase() {
        connectToStandin();
        window->memo().replace(
            QStringLiteral("USE KUZ_ANKARA_%1\nSELECT 1\nGO").arg(kuz::test::thisYear()));
        ErrorBoxCatcher box;
        press(window->Button3);
        // GO reaches the server as text, where it is a syntax error; USE ran first.
        QTRY_COMPARE(box.count, 1);
        window->memo().replace(QStringLiteral("USE KUZ_ANKARA_%1\nSELECT 1").arg(thisYear()));
        press(window->Button3);
        QCOMPARE(window->statusText(), u"KUZ_ANKARA_"_qs + QString::number(thisYear()));
        QVERIFY(server->batches().back().ends_with(
            "\tUSE KUZ_ANKARA_" + std::to_string(thisYear()) + "\\r\\nSELECT 1\\r\\n"));
        QVERIFY(!window->Form2->isVisible());
        // An empty script is refused before anything is sent.
        const size_t sent = server->batches().size();
        window->memo().clear();
        press(window->Button3);
        QTRY_COMPARE(box.count, 2);
        QCOMPARE(box.text, QStringLiteral("ADOQuery1: Missing SQL property."));
        QCOMPARE(server->batches().size(), sent);
    }

    void openShowsTheRowsInBothGrids() {
        connectToStandin();
        window->memo().replace(
            QStringLiteral("USE KUZ_BURSA_%1\r\nUPDATE MUHHAR SET MUHHARACIKLAMA = N'Güncel' "
                           "WHERE MUHHARREFNO = 1001\r\nSELECT MUHHAREVRAKNO, MUHHARACIKLAMA, "
                           "MUHHARTUTAR FROM MUHHAR WHERE MUHHARREFNO = 1001")
                .arg(thisYear()));
        press(window->Button4);
        TForm2& form = *window->Form2;
        QVERIFY(form.isVisible());
        QAbstractItemModel* upper = form.DBGrid1->model();
        QAbstractItemModel* lower = form.cxGrid1DBTableView1->model();
        QCOMPARE(upper->columnCount(), 3);
        QVERIFY(upper->rowCount() > 0);
        QCOMPARE(upper->headerData(1, Qt::Horizontal).toString(), QStringLiteral("MUHHARACIKLAMA"));
        QCOMPARE(upper->index(0, 1).data().toString(), QStringLiteral("Güncel"));
        // The lower grid's fixed columns show the fields the result has.
        QCOMPARE(lower->columnCount(), 6);
        QCOMPARE(lower->index(0, 1).data().toString(), QStringLiteral("Güncel"));
        QCOMPARE(lower->index(0, 0).data().toString(), QString()); // no MUHHAREVRAKTAR
        QCOMPARE(form.cxGrid1DBTableView1->selectionMode(), QAbstractItemView::ExtendedSelection);
        // Both grids share the current row.
        if (upper->rowCount() > 1) {
            form.DBGrid1->setCurrentIndex(upper->index(1, 0));
            QCOMPARE(form.cxGrid1DBTableView1->currentIndex().row(), 1);
            QCOMPARE(window->ADOQuery1.position(), 1);
        }
        press(form.Button1); // "Sırala" does nothing
        QCOMPARE(upper->columnCount(), 3);

        // Closing only hides; ExecSQL assigns the text again and both grids go empty.
        form.close();
        QVERIFY(!form.isVisible());
        window->memo().replace(QStringLiteral("SELECT 1 AS A"));
        press(window->Button4);
        QVERIFY(form.isVisible());
        QCOMPARE(upper->columnCount(), 1);
        press(window->Button3);
        QCOMPARE(upper->rowCount(), 0);
        QCOMPARE(lower->rowCount(), 0);
    }

    void openOfACommandFailsWithoutShowingTheWindow() {
        connectToStandin();
        window->memo().replace(QStringLiteral("USE KUZ_MASTER"));
        ErrorBoxCatcher box;
        press(window->Button4);
        QTRY_COMPARE(box.count, 1);
        QCOMPARE(box.text, QStringLiteral("ADOQuery1: CommandText does not return a result set."));
        QVERIFY(!window->Form2->isVisible());
    }
};

int main(int argc, char** argv) {
    KuzApplication app(argc, argv);
    WorkbenchWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "workbench_window_test.moc"
