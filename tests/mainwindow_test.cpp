// The main window and the application shell, under the offscreen platform.
#include "BusyCursor.h"
#include "KuzApplication.h"
#include "Unit1.h"
#include "support/ErrorBoxCatcher.h"
#include "support/TestFolders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <memory>
#include <optional>

using namespace kuz;
using kuz::test::CurrentDirectory;
using kuz::test::ErrorBoxCatcher;
using kuz::test::ImmutableFolder;
using kuz::test::readFile;
using kuz::test::TempFolder;

namespace {

// An event whose handling fails after setting the busy cursor, as a failing command does.
class FailingCommand : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        cursor::setBusy();
        throw std::runtime_error("Invalid object name 'DEMKART'");
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::optional<TempFolder> dir;
    std::optional<CurrentDirectory> cwd;
    std::unique_ptr<TAxFirm1> window;

private slots:
    void init() {
        dir.emplace();
        cwd.emplace(dir->path());
        window = std::make_unique<TAxFirm1>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() {
        window.reset();
        cwd.reset();
        dir.reset();
        cursor::setDefault();
    }

    void startState() {
        QCOMPARE(window->windowTitle(), QStringLiteral("KUZUtilSQL 1.7"));
        QCOMPARE(window->PageControl1->currentWidget(), window->TabSheet2);
        QCOMPARE(window->PageControl1->tabText(0), QStringLiteral("SQL Çalıştır"));
        QCOMPARE(window->PageControl1->tabText(1), QStringLiteral("Ayarlar"));
        QCOMPARE(window->PageControl1->tabText(2), QStringLiteral("Hakkında"));
        QCOMPARE(window->CheckListBox1->count(), 0);
        QVERIFY(!window->DBGrid2->model() || window->DBGrid2->model()->rowCount() == 0);
        QCOMPARE(window->statusText(), QString());
        QCOMPARE(window->Button5->text(), QStringLiteral("Bağlan"));
        QVERIFY(!window->CheckBox1->isChecked());
        QVERIFY(!window->CheckBox2->isChecked());
        QVERIFY(!window->CheckBox3->isChecked());
        QCOMPARE(window->Memo1->toPlainText(), QString());
        QCOMPARE(window->Edit8->text(),
                 QStringLiteral("KUZ_%_") + QString::number(QDate::currentDate().year()));
        QCOMPARE(window->Edit4->text(),
                 QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;"));
        // First start without a settings file: the defaults.
        QCOMPARE(window->ComboBox1->currentText(), QStringLiteral("SQL Server Yetkilendirmesi"));
        QCOMPARE(window->Edit2->text(), QStringLiteral("sa"));
        QCOMPARE(window->Edit10->text(), QStringLiteral("2024"));
        QCOMPARE(window->Edit3->echoMode(), QLineEdit::Password);
        QCOMPARE(window->Edit3->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter),
                 int(u'*'));
        QCOMPARE(window->BitBtn1->toolTip(), QStringLiteral("BATCH"));
        QCOMPARE(window->CheckBox2->toolTip(),
                 QStringLiteral("Seçilli DB Demirbaş Detaylı  XLS oluştur."));
        QCOMPARE(window->CheckBox3->toolTip(),
                 QStringLiteral("Seçili DB Özet Demirbaş XLS oluştur "));
        QVERIFY(window->Memo1->tabChangesFocus());
        QCOMPARE(window->Image1->pixmap().size(), QSize(110, 50));
        QCOMPARE(window->Memo2->toPlainText().split(u'\n').size(), 6);
        QVERIFY(window->Memo1->font().bold());
        // Every designed control is found by its name.
        for (const char* name :
             {"Label4",  "ComboBox1", "Edit1",      "Edit2",         "Edit3",   "Button5",
              "Edit10",  "Button223", "BitBtn2",    "EFatSif",       "Edit8",   "Button2",
              "Button8", "Button6",   "Button7",    "CheckListBox1", "Memo1",   "Label6",
              "DBGrid2", "Edit9",     "BitBtn1",    "Button4",       "Button3", "Label5",
              "Edit4",   "CheckBox1", "Image1",     "Memo2",         "Button1", "CheckBox2",
              "Button9", "CheckBox3", "StatusBar1", "PageControl1"})
            QVERIFY2(window->findChild<QWidget*>(QString::fromLatin1(name)), name);
    }

    void resizeMovesAndStretchesTheAnchoredControls() {
        auto geometries = [this] {
            QMap<QString, QRect> g;
            for (QWidget* w : window->findChildren<QWidget*>())
                if (!w->objectName().isEmpty())
                    g.insert(w->objectName(), w->geometry());
            return g;
        };
        const QMap<QString, QRect> before = geometries();
        const QSize page = window->TabSheet2->size();
        window->resize(window->size() + QSize(200, 100));
        QTRY_COMPARE(window->TabSheet2->size(), page + QSize(200, 100));
        const QMap<QString, QRect> after = geometries();

        auto moved = [&](const char* name, int dx, int dy, int dw, int dh) {
            const QString n = QString::fromLatin1(name);
            const QRect expected = before[n].adjusted(dx, dy, dx + dw, dy + dh);
            QVERIFY2(after[n] == expected, name);
        };
        moved("Memo1", 0, 0, 200, 100);
        moved("DBGrid2", 0, 0, 0, 100);
        for (const char* name : {"BitBtn1", "Button4", "Button3"})
            moved(name, 200, 100, 0, 0);
        for (const char* name : {"Edit10", "Button223", "BitBtn2", "EFatSif"})
            moved(name, 200, 0, 0, 0);
        for (const char* name : {"CheckListBox1", "Edit1", "Edit2", "Edit3", "ComboBox1", "Button5",
                                 "Edit8", "Edit9", "Button1", "CheckBox2", "Button9", "CheckBox3"})
            moved(name, 0, 0, 0, 0);
    }

    void closingWithoutConnectingWritesOnlyTheYear() {
        window->Edit10->setText(QStringLiteral("2023"));
        QVERIFY(window->close());
        QCOMPARE(readFile(*dir / "KUZUtilSQL.INI"), std::string("[MSSQL]\r\nNO=2023\r\n"));
    }

    void aRefusedCloseShowsTheErrorAndKeepsTheWindowOpen() {
        ImmutableFolder locked(dir->path());
        ErrorBoxCatcher box;
        QVERIFY(!window->close());
        QCOMPARE(box.count, 1);
        QCOMPARE(box.text, QString::fromStdString("Unable to write to " +
                                                  (*dir / "KUZUtilSQL.INI").string() + "."));
        QCOMPARE(box.title, QCoreApplication::applicationName());
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, 1);
        QVERIFY(window->isVisible());
    }

    void aFailingCommandReachesTheErrorBoxAndTheCursorResets() {
        FailingCommand command;
        ErrorBoxCatcher box;
        QCoreApplication::postEvent(&command, new QEvent(QEvent::User));
        QTRY_COMPARE(box.count, 1);
        QCOMPARE(box.text, QStringLiteral("Invalid object name 'DEMKART'"));
        // The timer puts the default cursor back within about a second.
        QTRY_VERIFY_WITH_TIMEOUT(!cursor::isBusy(), 1500);
        QVERIFY(window->isVisible());
    }

    void exitClosesTheWindowLikeItsCloseBox() {
        window->k1->trigger();
        QVERIFY(!window->isVisible());
        QVERIFY(std::filesystem::exists(*dir / "KUZUtilSQL.INI"));
    }
};

int main(int argc, char** argv) {
    KuzApplication app(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "mainwindow_test.moc"
