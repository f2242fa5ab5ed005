// The connect, disconnect and reload commands of the main window against the stand-in.
#include "KuzApplication.h"
#include "Unit1.h"
#include "support/ErrorBoxCatcher.h"
#include "support/MainWindowHelpers.h"
#include "support/StandinServer.h"
#include "support/TestFolders.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <optional>

using namespace kuz;
using namespace kuz::test;

class ConnectTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StandinServer> server;
    std::optional<TempFolder> dir;
    std::optional<CurrentDirectory> cwd;
    std::unique_ptr<TAxFirm1> window;
    const QString year = QString::number(thisYear());

    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < window->CheckListBox1->count(); ++i) {
            QListWidgetItem* item = window->CheckListBox1->item(i);
            names << item->text() + (item->checkState() == Qt::Checked ? QString() : u"-"_qs);
        }
        return names;
    }

    void fillBoxes(const QString& password) {
        window->Edit1->setText(QString::fromStdString(server->address()));
        window->Edit2->setText(QStringLiteral("sa"));
        window->Edit3->setText(password);
    }

private slots:
    void initTestCase() {
        server = std::make_unique<StandinServer>(
            std::vector<std::string>{"--login", "kuz:a;b=c\"d", "--deny", "KUZ_DENIED"});
    }
    void cleanupTestCase() { server.reset(); }

    void init() {
        dir.emplace();
        cwd.emplace(dir->path());
        window = std::make_unique<TAxFirm1>();
        window->show();
        fillBoxes(QString::fromLatin1(StandinServer::password));
    }

    void cleanup() {
        window.reset();
        cwd.reset();
        dir.reset();
    }

    void connectListsTheYearsCompaniesCheckedAndSavesTheSettings() {
        window->CheckBox1->setChecked(true); // the default pattern never matches the masters
        press(window->Button5);
        const QStringList expected = {u"KUZ_ANKARA_"_qs + year, u"KUZ_BURSA_"_qs + year,
                                      u"KUZ_IZMIR_"_qs + year, u"KUZ_KONYA_"_qs + year};
        QCOMPARE(listed(), expected);
        QCOMPARE(window->statusText(), QStringLiteral("4"));
        QCOMPARE(window->Button5->text(), QStringLiteral("Bağlandı"));
        QVERIFY(window->close());
        QCOMPARE(readFile(*dir / "KUZUtilSQL.INI"),
                 "[MSSQL]\r\nYetkilendirme=SQL Server Yetkilendirmesi\r\nSunucu=" +
                     server->address() + "\r\nKullanici=sa\r\nParola=Kuz.2026!\r\nNO=2024\r\n");
        QVERIFY(server->batches().back().find(
                    "name like 'KUZ_%_" + std::to_string(thisYear()) +
                    "' and name NOT IN ('master','model','msdb','tempdb') ") != std::string::npos);
    }

    void theMasterBoxDecidesWhetherTheMastersAreListed() {
        window->Edit8->setText(QStringLiteral("%"));
        press(window->Button5);
        QVERIFY(!listed().contains(u"KUZ_MASTER"_qs));
        for (const char* system : {"master", "model", "msdb", "tempdb"})
            QVERIFY(!listed().contains(QString::fromLatin1(system)));
        window->Edit8->setText(QStringLiteral("KUZ_MASTER%"));
        press(window->Button2);
        QCOMPARE(window->statusText(), QStringLiteral("0"));
        window->CheckBox1->setChecked(true);
        press(window->Button2);
        QCOMPARE(listed(), (QStringList{u"KUZ_MASTER"_qs, u"KUZ_MASTERSB"_qs, u"KUZ_MASTERV8"_qs}));
        // An apostrophe in the pattern is only text.
        window->Edit8->setText(QStringLiteral("KUZ_'x"));
        press(window->Button2);
        QCOMPARE(window->statusText(), QStringLiteral("0"));
    }

    void aRefusedLoginChangesNothing() {
        fillBoxes(QStringLiteral("wrong"));
        ErrorBoxCatcher box;
        press(window->Button5);
        QTRY_COMPARE(box.count, 1);
        QCOMPARE(box.text, QStringLiteral("Login failed for user 'sa'."));
        QCOMPARE(window->Button5->text(), QStringLiteral("Bağlan"));
        QCOMPARE(window->CheckListBox1->count(), 0);
        QVERIFY(!std::filesystem::exists(*dir / "KUZUtilSQL.INI"));
    }

    void disconnectKeepsTheListAndReloadOpensAgain() {
        press(window->Button5);
        window->CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
        press(window->Button5); // disconnect
        QCOMPARE(window->Button5->text(), QStringLiteral("Bağlan"));
        QVERIFY(!window->ADOConnection1.isOpen());
        QCOMPARE(listed().size(), 4);
        QVERIFY(listed()[1].endsWith(u'-'));
        press(window->Button2); // reload opens the connection with the last string
        QVERIFY(window->ADOConnection1.isOpen());
        QCOMPARE(window->Button5->text(), QStringLiteral("Bağlan"));
        QVERIFY(!listed()[1].endsWith(u'-'));
        // A second connect lists every database once.
        press(window->Button5);
        QCOMPARE(listed().size(), 4);
        QCOMPARE(window->statusText(), QStringLiteral("4"));
    }

    void aRefusedSettingsWriteLeavesTheConnectionOpenAndTheListEmpty() {
        ImmutableFolder locked(dir->path());
        ErrorBoxCatcher box;
        press(window->Button5);
        QTRY_COMPARE(box.count, 1);
        QVERIFY(box.text.startsWith(u"Unable to write to "_qs));
        QVERIFY(window->ADOConnection1.isOpen());
        QCOMPARE(window->statusText(), QStringLiteral("master"));
        QCOMPARE(window->CheckListBox1->count(), 0);
        QCOMPARE(window->Button5->text(), QStringLiteral("Bağlan"));
    }

    void aRefusedListStatementEndsConnectAndReloadWithAnEmptyList() {
        window->Edit8->setText(QStringLiteral("KUZ_DENIED%"));
        ErrorBoxCatcher box;
        press(window->Button5);
        QTRY_COMPARE(box.count, 1);
        QVERIFY(box.text.startsWith(u"The SELECT permission was denied"_qs));
        QVERIFY(window->ADOConnection1.isOpen());
        QVERIFY(std::filesystem::exists(*dir / "KUZUtilSQL.INI")); // written before the list
        QCOMPARE(window->CheckListBox1->count(), 0);
        QCOMPARE(window->Button5->text(), QStringLiteral("Bağlan"));

        window->Edit8->setText(u"KUZ_%_"_qs + year);
        press(window->Button2);
        QCOMPARE(window->CheckListBox1->count(), 4);
        window->Edit8->setText(QStringLiteral("KUZ_DENIED%"));
        press(window->Button2);
        QTRY_COMPARE(box.count, 2);
        QCOMPARE(window->CheckListBox1->count(), 0); // emptied before the statement ran
    }

    void reloadBeforeAnyConnectTriesTheLocalAddressAndFailsAtOnce() {
        ErrorBoxCatcher box;
        QElapsedTimer clock;
        clock.start();
        press(window->Button2);
        QTRY_COMPARE(box.count, 1);
        QVERIFY2(clock.elapsed() < 2500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!window->ADOConnection1.isOpen());
        QCOMPARE(window->CheckListBox1->count(), 0);
    }

    void aPasswordWithSeparatorsReachesTheServerAsTyped() {
        window->Edit2->setText(QStringLiteral("kuz"));
        window->Edit3->setText(QStringLiteral("a;b=c\"d"));
        press(window->Button5);
        QCOMPARE(window->Button5->text(), QStringLiteral("Bağlandı"));
    }
};

int main(int argc, char** argv) {
    KuzApplication app(argc, argv);
    ConnectTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "connect_test.moc"
