#pragma once

#include "Connection.h"
#include "FileDialog.h"
#include "Query.h"
#include "ScriptFile.h"
#include "ScriptMemo.h"

#include <QMainWindow>
#include <QTimer>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableView;
class QAction;
class QProgressBar;

namespace kuz {

class Anchors;
class QueryModel;
class TForm2;
class TForm3;

// The main window: every box the user fills in and every command button. Controls carry the
// names the rest of the program knows them by, as members and as objectName. The window only
// binds controls to the logic of db/, workbench/ and reports/.
class TAxFirm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TAxFirm1(QWidget* parent = nullptr);
    ~TAxFirm1() override;

    // The status bar's one text.
    QString statusText() const;
    void setStatusText(const QString& text);

    // Page "SQL Çalıştır"
    QLabel* Label4 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* Button5 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QPushButton* Button223 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* EFatSif = nullptr;
    QLineEdit* Edit8 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label6 = nullptr;
    QTableView* DBGrid2 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button3 = nullptr;

    // Page "Ayarlar"
    QLabel* Label5 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QCheckBox* CheckBox1 = nullptr;

    // Page "Hakkında"
    QLabel* Image1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;

    // Controls of the window itself, over the tab strip
    QPushButton* Button1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* Button9 = nullptr;
    QCheckBox* CheckBox3 = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QMenu* Dosya1 = nullptr;
    QAction* Yeni1 = nullptr;
    QAction* A1 = nullptr;
    QAction* Kaydet1 = nullptr;
    QAction* N1 = nullptr;
    QAction* k1 = nullptr;

    QTimer Timer1;

    // The one connection and the query objects on it.
    Connection ADOConnection1;
    Query ADOQuery1{ADOConnection1, QStringLiteral("ADOQuery1")};
    Query ADOQuery2{ADOConnection1, QStringLiteral("ADOQuery2")};
    Query ADOQuery3{ADOConnection1, QStringLiteral("ADOQuery3")};
    Query ADOQuery11{ADOConnection1, QStringLiteral("ADOQuery11")};

    // The table list's data source over ADOQuery3; it dies before the query it reads.
    std::unique_ptr<QueryModel> DataSource3;

    FileDialog OpenDialog1{FileDialog::Kind::Open};
    FileDialog SaveDialog1{FileDialog::Kind::Save};

    // The result window over ADOQuery1 and the grid window over ADOQuery11, created hidden
    // after this window.
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm3> Form3;

    // The script memo's operations.
    ScriptMemo memo() const { return ScriptMemo(Memo1); }
    // The encoding the script was opened in; Save writes it back the same way.
    ScriptEncoding scriptEncoding = ScriptEncoding::Cp1254;

public slots:
    void Button5Click();
    void DEMBut1Click();
    void YeniClick();
    void AcClick();
    void KaydetClick();
    void CheckListBox1Click();
    void Edit9Change();
    void DBGrid2DblClick();
    void BitBtn1Click();
    void Button4Click();
    void Button3Click();
    void EdefterSiff();
    void efatsifre();
    void BitBtn2Click();
    void DEMDetayli();
    void DEMOzet();
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildSqlPage();
    void buildSettingsPage();
    void buildAboutPage();
    void buildWindowControls(QWidget* client);
    void buildMenu();
    void bindEvents();
    void setTabOrder();
    void loadSettings();
    void FormShow();
    void ADOConnection1AfterConnect();
    void fillDatabaseList();
    void FormClose();

    QLabel* statusLabel_ = nullptr;
    QProgressBar* batchProgress_ = nullptr;
    Anchors* sqlPageAnchors_ = nullptr;
};

} // namespace kuz
