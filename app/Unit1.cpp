#include "Unit1.h"

#include "Anchors.h"
#include "AssetSheet.h"
#include "AssetStatements.h"
#include "BatchRun.h"
#include "BusyCursor.h"
#include "DatabaseList.h"
#include "ErrorBox.h"
#include "Forms3.h"
#include "PreparedStatements.h"
#include "QueryModel.h"
#include "ReportCommand.h"
#include "Settings.h"
#include "TableList.h"
#include "Unit2.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <filesystem>

namespace kuz {
namespace {

// Hands a double click on a widget to a command.
class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(QObject* parent, std::function<void()> command)
        : QObject(parent), command_(std::move(command)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            command_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> command_;
};

} // namespace
namespace {

// Sizes and positions are those of the design at 96 dots per inch with "MS Sans Serif";
// where that face is missing, fontconfig gives a sans-serif face of the same pixel size.
QFont designFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

const QFont& windowFont() {
    static const QFont f = designFont(11, false);
    return f;
}
const QFont& boldFont() {
    static const QFont f = designFont(11, true);
    return f;
}
const QFont& px13Font() {
    static const QFont f = designFont(13, false);
    return f;
}

// A flat single-line border instead of the platform's 3-D one.
void makeFlat(QWidget* w) {
    w->setStyleSheet(QStringLiteral("%1 { border: 1px solid #7f7f7f; background: white; }")
                         .arg(QString::fromLatin1(w->metaObject()->className())));
}

template <typename W> W* place(W* w, const char* name, int x, int y, int width, int height) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(x, y, width, height);
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, int width,
              int height, const QFont& font) {
    QLabel* l = place(new QLabel(text, parent), name, x, y, width, height);
    l->setFont(font);
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, int x, int y, int width, int height,
                const QFont& font, bool flat) {
    QLineEdit* e = place(new QLineEdit(parent), name, x, y, width, height);
    e->setFont(font);
    if (flat)
        makeFlat(e);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int x, int y, int width,
                    int height, const QFont& font) {
    QPushButton* b = place(new QPushButton(text, parent), name, x, y, width, height);
    b->setFont(font);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TAxFirm1::TAxFirm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("AxFirm1"));
    setWindowTitle(QStringLiteral("KUZUtilSQL 1.7"));
    setFont(windowFont());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(client);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);
    setCentralWidget(client);

    buildSqlPage();
    buildSettingsPage();
    buildAboutPage();
    buildWindowControls(client);
    buildMenu();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(false);
    statusLabel_ = new QLabel(StatusBar1);
    statusLabel_->setObjectName(QStringLiteral("StatusText"));
    StatusBar1->addWidget(statusLabel_, 1);
    batchProgress_ = new QProgressBar(StatusBar1);
    batchProgress_->setObjectName(QStringLiteral("BatchProgress"));
    batchProgress_->setFixedWidth(260);
    batchProgress_->hide();
    StatusBar1->addPermanentWidget(batchProgress_);
    setStatusBar(StatusBar1);

    PageControl1->setCurrentIndex(0);
    bindEvents();
    setTabOrder();

    // The client area of the design is 797 x 600 below the menu bar.
    const QSize designed(797, 600 + menuBar()->sizeHint().height());
    resize(designed);
    setMinimumSize(designed);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TAxFirm1::Timer1Timer);
    Timer1.start();

    // Until the first connect the connection holds a fixed address on this machine.
    ADOConnection1.setConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;"
                       "Data Source=127.0.0.1;"));
    ADOConnection1.setConnectionTimeout(1);
    ADOConnection1.setAfterConnect([this] { ADOConnection1AfterConnect(); });
    ADOQuery2.setFields(databaseListFields());

    Form2 = std::make_unique<TForm2>(ADOQuery1);
    DataSource3 = std::make_unique<QueryModel>(ADOQuery3);
    DataSource3->setObjectName(QStringLiteral("DataSource3"));
    DBGrid2->setModel(DataSource3.get());
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { ADOQuery3.setPosition(current.row()); });
    ADOQuery11.setFields(assetReportFields());
    Form3 = std::make_unique<TForm3>(ADOQuery11);

    loadSettings();
}

TAxFirm1::~TAxFirm1() = default;

void TAxFirm1::buildSqlPage() {
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("SQL Çalıştır"));
    QWidget* p = TabSheet2;

    Label4 = label(p, "Label4", QStringLiteral("Yetki"), 0, 0, 30, 13, boldFont());
    ComboBox1 = place(new QComboBox(p), "ComboBox1", 0, 16, 145, 24);
    ComboBox1->setEditable(true);
    ComboBox1->setFont(px13Font());
    ComboBox1->addItems(
        {QStringLiteral("SQL Yetkilendermesi"), QStringLiteral("Windows Yetkilendirmesi")});
    Label1 = label(p, "Label1", QStringLiteral("Sunucu"), 148, 0, 44, 13, boldFont());
    Edit1 = edit(p, "Edit1", 148, 16, 161, 22, px13Font(), true);
    Label2 = label(p, "Label2", QStringLiteral("Kull."), 316, 0, 26, 13, boldFont());
    Edit2 = edit(p, "Edit2", 316, 16, 41, 22, px13Font(), true);
    Label3 = label(p, "Label3", QStringLiteral("Parola"), 364, 0, 37, 13, boldFont());
    Edit3 = edit(p, "Edit3", 364, 16, 65, 22, px13Font(), true);
    Edit3->setEchoMode(QLineEdit::Password);
    Button5 = button(p, "Button5", QStringLiteral("Bağlan"), 443, 3, 118, 38, boldFont());
    Edit10 = edit(p, "Edit10", 574, 14, 69, 22, px13Font(), true);
    Button223 =
        button(p, "Button223", QStringLiteral("EFatura şifre"), 694, 12, 85, 25, boldFont());
    BitBtn2 = button(p, "BitBtn2", QStringLiteral("FişAyrıştır"), 610, 38, 75, 25, boldFont());
    EFatSif = button(p, "EFatSif", QStringLiteral("EDefter Şifre"), 694, 38, 85, 25, boldFont());
    Edit8 = edit(p, "Edit8", 1, 43, 120, 19, boldFont(), true);
    Button2 = button(p, "Button2", QStringLiteral("+"), 123, 42, 23, 20, boldFont());
    Button8 = button(p, "Button8", QStringLiteral("Yeni"), 148, 41, 57, 22, windowFont());
    Button6 = button(p, "Button6", QStringLiteral("Aç"), 212, 41, 65, 22, boldFont());
    Button7 = button(p, "Button7", QStringLiteral("Kaydet"), 284, 41, 65, 22, windowFont());

    CheckListBox1 = place(new QListWidget(p), "CheckListBox1", 0, 64, 145, 241);
    CheckListBox1->setSortingEnabled(false);
    makeFlat(CheckListBox1);

    Memo1 = place(new QPlainTextEdit(p), "Memo1", 147, 64, 631, 449);
    Memo1->setFont(boldFont());
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setTabChangesFocus(true);
    makeFlat(Memo1);

    Label6 = label(p, "Label6", QStringLiteral("Tablolar"), 0, 312, 38, 13, windowFont());

    DBGrid2 = place(new QTableView(p), "DBGrid2", 0, 328, 145, 185);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid2->verticalHeader()->setDefaultSectionSize(17);
    DBGrid2->verticalHeader()->setMinimumWidth(11);
    DBGrid2->setShowGrid(true);
    makeFlat(DBGrid2);
    // The filter lies over the grid's title row, leaving the indicator column free.
    Edit9 = edit(p, "Edit9", 13, 328, 130, 21, windowFont(), false);
    Edit9->raise();

    BitBtn1 = button(p, "BitBtn1", QStringLiteral("Başlat"), 472, 515, 120, 32, boldFont());
    BitBtn1->setToolTip(QStringLiteral("BATCH"));
    Button4 = button(p, "Button4", QStringLiteral("Open"), 595, 515, 96, 32, boldFont());
    Button3 = button(p, "Button3", QStringLiteral("ExecSQL"), 696, 515, 82, 32, boldFont());

    // A page's designed client area is 789 x 550.
    sqlPageAnchors_ = new Anchors(p, QSize(789, 550));
    using E = Anchors::Edge;
    sqlPageAnchors_->anchor(Edit10, E::Top | E::Right);
    sqlPageAnchors_->anchor(Button223, E::Top | E::Right);
    sqlPageAnchors_->anchor(BitBtn2, E::Top | E::Right);
    sqlPageAnchors_->anchor(EFatSif, E::Top | E::Right);
    sqlPageAnchors_->anchor(Memo1, E::Left | E::Top | E::Right | E::Bottom);
    sqlPageAnchors_->anchor(DBGrid2, E::Left | E::Top | E::Bottom);
    sqlPageAnchors_->anchor(BitBtn1, E::Right | E::Bottom);
    sqlPageAnchors_->anchor(Button4, E::Right | E::Bottom);
    sqlPageAnchors_->anchor(Button3, E::Right | E::Bottom);
}

void TAxFirm1::buildSettingsPage() {
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Ayarlar"));
    QWidget* p = TabSheet3;
    Label5 = label(p, "Label5", QStringLiteral("ConnectionString"), 24, 8, 81, 13, windowFont());
    Edit4 = edit(p, "Edit4", 24, 24, 465, 21, windowFont(), false);
    Edit4->setText(defaultConnectionPrefix);
    CheckBox1 =
        place(new QCheckBox(QStringLiteral("KUZ_MASTER  göster"), p), "CheckBox1", 32, 56, 201, 17);
}

void TAxFirm1::buildAboutPage() {
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Hakkında"));
    QWidget* p = TabSheet1;
    Image1 = place(new QLabel(p), "Image1", 32, 8, 110, 50);
    Image1->setPixmap(QPixmap(QStringLiteral(":/kuz/about.bmp")));
    Image1->setAlignment(Qt::AlignCenter);
    Memo2 = place(new QPlainTextEdit(p), "Memo2", 32, 64, 217, 97);
    Memo2->setPlainText(QStringLiteral("KUZUtilSQL 1.7\n"
                                       "\n"
                                       "\n"
                                       "\"Bir betik, bütün şirketler.\"\n"
                                       "\n"
                                       "Veritabanı yöneticileri için"));
    Memo2->setReadOnly(true);
    makeFlat(Memo2);
}

void TAxFirm1::buildWindowControls(QWidget* client) {
    const QFont bold12 = designFont(12, true);
    Button1 =
        button(client, "Button1", QStringLiteral("Demirbaş Detaylı"), 544, 0, 105, 28, bold12);
    const QString hint2 = QStringLiteral("Seçilli DB Demirbaş Detaylı  XLS oluştur.");
    CheckBox2 = place(new QCheckBox(hint2, client), "CheckBox2", 659, 6, 9, 17);
    CheckBox2->setToolTip(hint2);
    Button9 = button(client, "Button9", QStringLiteral("Demirbaş Özet"), 672, 0, 105, 28, bold12);
    const QString hint3 = QStringLiteral("Seçili DB Özet Demirbaş XLS oluştur ");
    CheckBox3 = place(new QCheckBox(hint3, client), "CheckBox3", 779, 6, 9, 17);
    CheckBox3->setToolTip(hint3);
    for (QWidget* w : {static_cast<QWidget*>(Button1), static_cast<QWidget*>(CheckBox2),
                       static_cast<QWidget*>(Button9), static_cast<QWidget*>(CheckBox3)})
        w->raise();
}

void TAxFirm1::buildMenu() {
    Dosya1 = menuBar()->addMenu(QStringLiteral("Dosya"));
    Dosya1->setObjectName(QStringLiteral("Dosya1"));
    Yeni1 = Dosya1->addAction(QStringLiteral("Yeni"));
    Yeni1->setObjectName(QStringLiteral("Yeni1"));
    A1 = Dosya1->addAction(QStringLiteral("Aç"));
    A1->setObjectName(QStringLiteral("A1"));
    Kaydet1 = Dosya1->addAction(QStringLiteral("Kaydet"));
    Kaydet1->setObjectName(QStringLiteral("Kaydet1"));
    N1 = Dosya1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    k1 = Dosya1->addAction(QStringLiteral("Çıkış"));
    k1->setObjectName(QStringLiteral("k1"));
}

void TAxFirm1::bindEvents() {
    connect(Button5, &QPushButton::clicked, this, &TAxFirm1::Button5Click);
    connect(Button2, &QPushButton::clicked, this, &TAxFirm1::DEMBut1Click);
    connect(Button8, &QPushButton::clicked, this, &TAxFirm1::YeniClick);
    connect(Yeni1, &QAction::triggered, this, &TAxFirm1::YeniClick);
    connect(Button6, &QPushButton::clicked, this, &TAxFirm1::AcClick);
    connect(A1, &QAction::triggered, this, &TAxFirm1::AcClick);
    connect(Button7, &QPushButton::clicked, this, &TAxFirm1::KaydetClick);
    connect(Kaydet1, &QAction::triggered, this, &TAxFirm1::KaydetClick);
    // Çıkış closes the window as its close box does.
    connect(k1, &QAction::triggered, this, &QWidget::close);
    connect(CheckListBox1, &QListWidget::itemClicked, this, &TAxFirm1::CheckListBox1Click);
    connect(Edit9, &QLineEdit::textChanged, this, &TAxFirm1::Edit9Change);
    // Any double click on the table list counts, on a row or not, as on the original grid.
    DBGrid2->viewport()->installEventFilter(
        new DoubleClickFilter(DBGrid2, [this] { DBGrid2DblClick(); }));
    connect(BitBtn1, &QPushButton::clicked, this, &TAxFirm1::BitBtn1Click);
    connect(Button4, &QPushButton::clicked, this, &TAxFirm1::Button4Click);
    connect(Button3, &QPushButton::clicked, this, &TAxFirm1::Button3Click);
    connect(EFatSif, &QPushButton::clicked, this, &TAxFirm1::EdefterSiff);
    connect(Button223, &QPushButton::clicked, this, &TAxFirm1::efatsifre);
    connect(BitBtn2, &QPushButton::clicked, this, &TAxFirm1::BitBtn2Click);
    connect(Button1, &QPushButton::clicked, this, &TAxFirm1::DEMDetayli);
    connect(Button9, &QPushButton::clicked, this, &TAxFirm1::DEMOzet);
}

void TAxFirm1::setTabOrder() {
    // The designed tab order of the first page, then the window's own controls.
    const QList<QWidget*> chain = {Memo1,   Button3, Button4,       Button5,   Edit1,
                                   Edit2,   Edit3,   ComboBox1,     DBGrid2,   Button6,
                                   Button7, Button8, CheckListBox1, BitBtn1,   Edit8,
                                   Button2, Edit9,   EFatSif,       Button223, BitBtn2,
                                   Edit10,  Button1, Button9,       CheckBox2, CheckBox3};
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    QWidget::setTabOrder(Edit4, CheckBox1);
}

QString TAxFirm1::statusText() const {
    return statusLabel_->text();
}

void TAxFirm1::setStatusText(const QString& text) {
    statusLabel_->setText(text);
}

void TAxFirm1::loadSettings() {
    const SavedBoxes boxes = settings::load();
    ComboBox1->setCurrentText(boxes.authentication);
    Edit1->setText(boxes.server);
    Edit2->setText(boxes.user);
    Edit3->setText(boxes.password);
    Edit10->setText(boxes.reportYear);
    ComboBox1->lineEdit()->setCursorPosition(0);
}

void TAxFirm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TAxFirm1::FormShow() {
    Edit8->setText(presetDatabasePattern(QDate::currentDate().year()));
}

void TAxFirm1::closeEvent(QCloseEvent* event) {
    // A close that cannot save the report year is abandoned: the window stays open.
    try {
        FormClose();
    } catch (const std::exception& e) {
        event->ignore();
        showErrorBox(QString::fromUtf8(e.what()));
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void TAxFirm1::FormClose() {
    settings::saveReportYear(Edit10->text());
}

void TAxFirm1::Timer1Timer() {
    cursor::setDefault();
}

// The commands below are bound here; their work comes with the database, workbench and report
// layers.
void TAxFirm1::Button5Click() {
    if (Button5->text() != QStringLiteral("Bağlan")) {
        ADOConnection1.close();
        Button5->setText(QStringLiteral("Bağlan"));
        return;
    }
    cursor::setBusy();
    // A connection opened without this button is opened again with the new string.
    ADOConnection1.close();
    ADOConnection1.setConnectionString(
        assembleConnectionString(Edit4->text(), Edit2->text(), Edit3->text(), Edit1->text()));
    ADOConnection1.open();
    settings::saveConnection(
        {ComboBox1->currentText(), Edit1->text(), Edit2->text(), Edit3->text(), Edit10->text()});
    cursor::setBusy();
    // A second connect replaces the list: each database is listed, and so processed, once.
    CheckListBox1->clear();
    fillDatabaseList();
    cursor::setDefault();
    setStatusText(QString::number(CheckListBox1->count()));
    Button5->setText(QStringLiteral("Bağlandı"));
}

void TAxFirm1::DEMBut1Click() {
    cursor::setBusy();
    CheckListBox1->clear();
    fillDatabaseList();
    cursor::setDefault();
    setStatusText(QString::number(CheckListBox1->count()));
}

void TAxFirm1::fillDatabaseList() {
    ADOQuery2.setSql(databaseListStatement(Edit8->text(), CheckBox1->isChecked()));
    ADOQuery2.open();
    for (ADOQuery2.first(); !ADOQuery2.eof(); ADOQuery2.next()) {
        auto* item = new QListWidgetItem(ADOQuery2.asText(QStringLiteral("name")), CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setSizeHint(QSize(0, 13));
    }
}

void TAxFirm1::ADOConnection1AfterConnect() {
    setStatusText(ADOConnection1.currentDatabase());
}
void TAxFirm1::YeniClick() {
    memo().clear();
    scriptEncoding = ScriptEncoding::Cp1254;
}

void TAxFirm1::AcClick() {
    if (!OpenDialog1.execute(this))
        return;
    const Script script = readScript(OpenDialog1.fileName.toStdString());
    memo().replace(script.text);
    scriptEncoding = script.encoding;
}

void TAxFirm1::KaydetClick() {
    if (!OpenDialog1.fileName.isEmpty())
        SaveDialog1.fileName = OpenDialog1.fileName;
    if (!SaveDialog1.execute(this))
        return;
    writeScript(SaveDialog1.fileName.toStdString(), memo().text(), scriptEncoding);
}
void TAxFirm1::CheckListBox1Click() {
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        if (CheckListBox1->item(i)->checkState() != Qt::Checked)
            continue;
        ADOQuery1.setSql(useStatement(CheckListBox1->item(i)->text()));
        ADOQuery1.execute();
        setStatusText(ADOConnection1.currentDatabase());
    }
    ADOQuery3.setSql(tableListStatement(Edit9->text()));
    ADOQuery3.open();
}

void TAxFirm1::Edit9Change() {
    ADOQuery3.setSql(tableListStatement(Edit9->text()));
    ADOQuery3.open();
}

void TAxFirm1::DBGrid2DblClick() {
    memo().appendLine(selectAllLine(ADOQuery3.asText(QStringLiteral("name"))));
}

namespace {

// The batch run's view of the main window.
class WindowBatchTarget : public BatchTarget {
public:
    WindowBatchTarget(TAxFirm1& w, QProgressBar& progress) : w_(w), progress_(progress) {}
    ~WindowBatchTarget() override { progress_.hide(); }

    int itemCount() const override { return w_.CheckListBox1->count(); }
    QString itemText(int i) const override { return w_.CheckListBox1->item(i)->text(); }
    bool isChecked(int i) const override {
        return w_.CheckListBox1->item(i)->checkState() == Qt::Checked;
    }
    void uncheck(int i) override { w_.CheckListBox1->item(i)->setCheckState(Qt::Unchecked); }
    QString scriptText() const override { return w_.memo().text(); }
    void runCommand(const QString& text) override {
        w_.ADOQuery1.setSql(text);
        w_.ADOQuery1.execute();
    }
    bool detailBox() const override { return w_.CheckBox2->isChecked(); }
    bool summaryBox() const override { return w_.CheckBox3->isChecked(); }
    void detailReport() override { w_.DEMDetayli(); }
    void summaryReport() override { w_.DEMOzet(); }
    QString currentDatabase() const override { return w_.ADOConnection1.currentDatabase(); }
    void setStatusText(const QString& text) override {
        w_.setStatusText(text);
        w_.StatusBar1->repaint();
    }
    void showProgress(int done, int total, const QString& database) override {
        // The bar carries the progress, so the status text keeps naming the last database
        // that completed, also when this one fails.
        progress_.setRange(0, total);
        progress_.setValue(done);
        progress_.setFormat(QStringLiteral("%1 / %2  %3").arg(done + 1).arg(total).arg(database));
        progress_.show();
        w_.StatusBar1->repaint();
    }
    void setBusyCursor() override { cursor::setBusy(); }
    void setDefaultCursor() override { cursor::setDefault(); }

private:
    TAxFirm1& w_;
    QProgressBar& progress_;
};

} // namespace

void TAxFirm1::BitBtn1Click() {
    WindowBatchTarget target(*this, *batchProgress_);
    runBatch(target);
}
void TAxFirm1::Button4Click() {
    cursor::setBusy();
    ADOQuery1.setSql(memo().text());
    ADOQuery1.open();
    cursor::setDefault();
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}

void TAxFirm1::Button3Click() {
    cursor::setBusy();
    ADOQuery1.setSql(memo().text());
    ADOQuery1.execute();
    setStatusText(ADOConnection1.currentDatabase());
    cursor::setDefault();
}
void TAxFirm1::EdefterSiff() {
    memo().clear();
    memo().appendLine(eLedgerSettingsStatement());
}

void TAxFirm1::efatsifre() {
    memo().clear();
    memo().appendLine(eInvoiceSettingsStatement());
}

void TAxFirm1::BitBtn2Click() {
    memo().clear();
    memo().appendLine(voucherLinesStatement(Edit10->text()));
}
namespace {

// A report command's view of the main window.
class WindowReportTarget : public ReportTarget {
public:
    explicit WindowReportTarget(TAxFirm1& w) : w_(w) {}
    void setScript(const QString& text) override { w_.memo().replace(text); }
    void runBatch() override { w_.BitBtn1Click(); }
    void openAndExport(const QString& statement, const QString& fileSuffix) override {
        w_.ADOQuery11.setSql(statement);
        w_.ADOQuery11.open();
        exportAssetWorkbook(w_.ADOQuery11, [&] {
            return workbookPath(std::filesystem::current_path(),
                                w_.ADOConnection1.currentDatabase(), fileSuffix);
        });
    }
    void showGridWindow() override {
        w_.Form3->show();
        w_.Form3->raise();
        w_.Form3->activateWindow();
    }

private:
    TAxFirm1& w_;
};

} // namespace

void TAxFirm1::DEMDetayli() {
    WindowReportTarget target(*this);
    runReportCommand(target, AssetReport::Detail, CheckBox2->isChecked(), Edit10->text());
}

void TAxFirm1::DEMOzet() {
    WindowReportTarget target(*this);
    runReportCommand(target, AssetReport::Summary, CheckBox3->isChecked(), Edit10->text());
}

} // namespace kuz
