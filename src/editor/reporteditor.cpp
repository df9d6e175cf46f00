#include "reporteditor.h"

#include "fieldcheckdialog.h"
#include "datepicker.h"

#include "controls/dbcontrols.h"
#include "controls/designed.h"
#include "platform/clock.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/messages.h"
#include "platform/modalrunner.h"
#include "print/frontsheet.h"
#include "print/engine/previewinterface.h"
#include "print/backsheet.h"
#include "store/coveredparts.h"
#include "store/session.h"
#include "store/tableset.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <tuple>

namespace {

// The dense front page is laid out for a narrow sans-serif face: Arial, as
// the platform provides it (metric-compatible), for every text of the dialog.
const QString dialogFamily = QStringLiteral("Arial");

QFont pixelFont(int px, bool bold = false, const QString &family = dialogFamily)
{
    QFont f(family);
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int x, int y, int px = 0, bool bold = false)
{
    QLabel *l = controls::designedLabel(parent, name, text, QPoint(x, y));
    if (px > 0) {
        l->setFont(pixelFont(px, bold));
        l->adjustSize();
    }
    return l;
}

QGroupBox *framedBox(QWidget *parent, const char *name, const QRect &r)
{
    auto *box = new QGroupBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(r);
    return box;
}

template <class T>
T *bound(T *control, QWidget *parent, const char *name, controls::DataSource *source, const char *field, const QRect &r)
{
    control->setParent(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(r);
    control->bind(source, QString::fromLatin1(field));
    return control;
}

// Rounds halves to the even neighbour.
int roundEven(double v)
{
    return int(std::nearbyint(v));
}

const QString hintDrag = QStringLiteral("application/x-lernora-sample");

} // namespace

Tberichtdlg::Tberichtdlg(store::TableSet &tables, store::Session &session, QWidget *parent)
    : QDialog(parent), m_tables(tables), m_session(session)
{
    setObjectName(QStringLiteral("berichtdlg"));
    setWindowTitle(QStringLiteral("Bericht bearbeiten"));
    platform::setHelpContext(this, platform::helpcontext::ReportEditor);
    setFont(QFont(dialogFamily, 8));
    resize(962, 681);

    m_berichtsource = new controls::DataSource(QStringLiteral("berichtsource"), &tables.berichttable(), this);
    m_tempsource = new controls::DataSource(QStringLiteral("tempsource"), &tables.temptable(), this);
    m_berichtdetailsource =
        new controls::DataSource(QStringLiteral("berichtdetailsource"), &tables.berichtdetailtable(), this);
    m_hintsource = new controls::DataSource(QStringLiteral("hintsource"), &tables.hinttable(), this);
    connect(&tables.berichttable(), &store::Table::afterPost, this, [this] {
        if (isVisible() && newReportMode())
            m_newReportStored = true;
    });

    m_kaldlg = new Tkaldlg(this);
    m_bernoclosedlg = new Tbernoclosedlg(this);

    // The formatting tools sit in the bar above the pages.
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setGeometry(0, 0, 962, 30);

    m_seiten = new QTabWidget(this);
    m_seiten->setObjectName(QStringLiteral("seiten"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 30, 0, 0);
    layout->addWidget(m_seiten);

    auto *front = new QWidget;
    front->setObjectName(QStringLiteral("vorderseite"));
    auto *back = new QWidget;
    back->setObjectName(QStringLiteral("rueckseite"));
    auto *pictures = new QWidget;
    pictures->setObjectName(QStringLiteral("TabSheet1"));
    m_seiten->addTab(front, QStringLiteral("Vorderseite"));
    m_seiten->addTab(back, QStringLiteral("Rueckseite"));
    m_seiten->addTab(pictures, QStringLiteral("Rücks. Bild"));
    buildFront(front);
    buildBack(back);
    buildPictures(pictures);

    m_scratch = new QTextEdit(this);
    m_scratch->setObjectName(QStringLiteral("RichEdit1"));
    m_scratch->hide();

    connect(m_seiten, &QTabWidget::currentChanged, this, [this](int) {
        platform::guarded([this] {
            const int leaving = m_page;
            m_page = m_seiten->currentIndex();
            seitenChanging(leaving);
            seitenChange();
        });
    });
    // FormCreate
    m_seiten->setCurrentIndex(0);
    setItemSource(m_berichtdetailsource);
}

Tberichtdlg::~Tberichtdlg() = default;

store::Table &Tberichtdlg::report() const
{
    return m_tables.berichttable();
}

store::Table *Tberichtdlg::itemTable() const
{
    return m_detailgrid->dataSource() ? m_detailgrid->dataSource()->table() : nullptr;
}

void Tberichtdlg::buildFront(QWidget *page)
{
    m_scrollBox = new QScrollArea(page);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setGeometry(0, 0, 717, 532);
    m_scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollBox->viewport()->installEventFilter(this);
    page->installEventFilter(this); // the scroll box stretches downwards with the page
    auto *form = new QWidget;
    form->setObjectName(QStringLiteral("ScrollBox1Content"));
    form->setFixedSize(700, 946);
    m_scrollBox->setWidget(form);

    QLabel *title = label(form, "Label1", QStringLiteral("Ausbildungsnachweis Nr. "), 16, 3, 19);
    auto *nummer = bound(new controls::DBText, form, "DBText1", m_berichtsource, "Nummer",
                         QRect(std::max(248, title->geometry().right() + 1), 3, 60, 24));
    nummer->setFont(pixelFont(19));
    label(form, "Label2", QStringLiteral("Blatt"), 205, 27);
    bound(new controls::DBText, form, "DBText2", m_berichtsource, "Blatt", QRect(250, 27, 30, 16));
    label(form, "Label3", QStringLiteral("Name:"), 286, 2);
    m_stiftName = label(form, "stiftname", QString(), 320, 2);
    label(form, "Label4", QStringLiteral("Ausbildender:"), 496, 2);
    m_bkmName = label(form, "bkmname", QString(), 562, 2);
    label(form, "Label5", QStringLiteral("für die Woche vom "), 287, 26);
    QPushButton *datumbtn = controls::designedButton(form, "datumbtn", QStringLiteral("?"), QRect(384, 21, 23, 22));
    datumbtn->setToolTip(QStringLiteral("Kalender"));
    connect(datumbtn, &QPushButton::clicked, this, [this] { platform::guarded([this] { datumbtnClick(); }); });
    m_anfedit = bound(new controls::DBEdit, form, "anfedit", m_berichtsource, "WocheVom", QRect(408, 21, 87, 21));
    label(form, "Label6", QStringLiteral("bis"), 501, 26);
    m_endedit = bound(new controls::DBEdit, form, "endedit", m_berichtsource, "WocheBis", QRect(520, 21, 87, 21));
    for (auto *e : {m_anfedit, m_endedit})
        e->setToolTip(QStringLiteral("rechte Maustaste für Bearbeiten"));
    label(form, "Label7", QStringLiteral("A-Jahr: "), 624, 26);
    auto *jahr = bound(new controls::DBText, form, "DBText4", m_berichtsource, "AJahr", QRect(660, 26, 24, 16));
    QFont bold = jahr->font();
    bold.setBold(true);
    jahr->setFont(bold);
    jahr->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    QGroupBox *parts = framedBox(form, "GroupBox1", QRect(3, 48, 690, 57));
    label(parts, "Label8", QStringLiteral("Teil des Ausbildungsberufsbildes"), 13, 4, 19);
    label(form, "Label9", QStringLiteral("Nr.:"), 16, 74, 19);
    const int xs[store::coveredPartFields] = {52, 106, 160, 214, 268, 323, 377, 431, 485, 539};
    for (int i = 0; i < store::coveredPartFields; ++i) {
        const QString field = store::coveredPartField(i);
        auto *box = new controls::DBText(form);
        box->setObjectName(QStringLiteral("DB") + field);
        box->setGeometry(xs[i], 80, 45, 17);
        box->setFont(pixelFont(13));
        box->setAlignment(Qt::AlignCenter);
        box->setAutoFillBackground(true);
        QPalette pal = box->palette();
        pal.setColor(QPalette::Window, QColor(0xd3, 0xd3, 0xd3));
        box->setPalette(pal);
        box->bind(m_berichtsource, field);
    }

    QGroupBox *items = framedBox(form, "GroupBox2", QRect(3, 112, 690, 153));
    label(items, "Label10", QStringLiteral("Fertigkeiten und Kenntnisse"), 8, 4, 13, true);
    label(items, "Label11", QStringLiteral("Nach dem betrieblichen Ausbildungsplan"), 8, 22, 13);
    // The column heads wrap at their blank. At the editor's 8 pt the dots
    // of the capital "Ü" melt into the letter on this platform: the heads
    // take 12 pixels (9 pt), with two pixels of room above the dots.
    for (const auto &[name, text, x] : {std::tuple{"Label12", "Betriebliche Ausbildung", 504},
                                        std::tuple{"Label13", "ÜLU- Maßnahme", 592}}) {
        QLabel *head = label(form, name, QString::fromUtf8(text), x, 115 - 2, 12);
        head->setWordWrap(true);
        head->setContentsMargins(0, 2, 0, 0);
        head->setFixedWidth(80);
        head->setFixedHeight(head->heightForWidth(80));
    }
    m_loeschbtn = controls::designedButton(form, "loeschbtn", QStringLiteral("✕"), QRect(304, 120, 25, 25));
    m_loeschbtn->setToolTip(QStringLiteral("Fertigkeiten und Kenntnisse löschen"));
    m_loeschbtn->setAutoDefault(false);
    m_loeschbtn->setEnabled(false);
    connect(m_loeschbtn, &QPushButton::clicked, this, [this] { platform::guarded([this] { loeschbtnClick(); }); });
    m_detailgrid = new controls::DBCtrlGrid(form);
    m_detailgrid->setObjectName(QStringLiteral("detailgrid"));
    m_detailgrid->setGeometry(10, 155, 681, 108);
    m_detailgrid->setPanelHeight(54);
    m_detailgrid->setSelectedColor(QColor(0x8d, 0xa3, 0xbc));
    m_detailgrid->setToolTip(QStringLiteral("Hier klicken für Musterinhalte"));
    m_detailgrid->setPanelBuilder(
        [this](QWidget *panel, controls::DataSource *source) { buildDetailPanel(panel, source); });
    m_detailgrid->installEventFilter(this);

    framedBox(form, "GroupBox3", QRect(3, 264, 690, 24));
    label(form, "Label14", QStringLiteral("Angaben über die ausgeführte Tätigkeit in Stichworten"), 10, 268, 13, true);
    m_taetigkeitedit =
        bound(new controls::DBRichEdit, form, "taetigkeitedit", m_berichtsource, "Taetigkeit", QRect(3, 288, 690, 201));
    QLabel *note = label(form, "Label15",
                         QStringLiteral("Besondere Themen der im Rahmen dieser "
                                        "Ausbildungswoche(n) durchgeführten "
                                        "Unterweisungen können umseitig beschrieben werden"),
                         26, 495);
    note->setFont(pixelFont(11, false, QStringLiteral("Arial")));
    note->adjustSize();
    framedBox(form, "GroupBox4", QRect(3, 520, 690, 30));
    label(form, "Label16", QStringLiteral("Vermerke des Ausbildenden/Ausbilders"), 10, 526, 13, true);
    m_vermerkeedit =
        bound(new controls::DBRichEdit, form, "DBRichEdit2", m_berichtsource, "Vermerke", QRect(3, 552, 690, 192));
    label(form, "Label17", QStringLiteral("Datum"), 7, 763);
    m_datumedit = bound(new controls::DBEdit, form, "datumedit", m_berichtsource, "Datum", QRect(48, 758, 87, 24));
    m_datumedit->setFont(pixelFont(13, true));
    m_datumedit->setToolTip(QStringLiteral("rechte Maustaste für Bearbeiten"));
    label(form, "Label18", QString(), 632, 933);

    for (controls::DBRichEdit *e : {m_taetigkeitedit, m_vermerkeedit}) {
        e->setFont(pixelFont(13, false, QStringLiteral("Arial")));
        e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        e->setToolTip(QStringLiteral("rechte Maustaste für Zeichen"));
    }
    m_taetigkeitedit->viewport()->setAcceptDrops(true);
    m_taetigkeitedit->viewport()->installEventFilter(this);
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_taetigkeitedit, m_vermerkeedit, m_anfedit, m_endedit, m_datumedit})
        w->installEventFilter(this);

    // Right of the scroll box
    m_okbtn = controls::designedButton(page, "okbtn", QStringLiteral("OK"), QRect(831, 5, 75, 25));
    m_okbtn->setToolTip(QStringLiteral("Bericht ablegen"));
    m_okbtn->setDefault(true);
    connect(m_okbtn, &QPushButton::clicked, this, &QDialog::accept);
    m_cancelbtn = controls::designedButton(page, "cancelbtn", QStringLiteral("Abbrechen"), QRect(831, 33, 75, 25));
    connect(m_cancelbtn, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton *help = controls::designedButton(page, "hilfebtn", QStringLiteral("Hilfe"), QRect(831, 61, 75, 25));
    connect(help, &QPushButton::clicked, this, [this] { emit helpRequested(platform::helpContext(this)); });
    m_folgeblattbtn =
        controls::designedButton(page, "folgeblattbtn", QStringLiteral("Folgeblatt"), QRect(744, 5, 75, 25));
    m_folgeblattbtn->setToolTip(QStringLiteral("Folgeblatt erstellen"));
    m_folgeblattbtn->setEnabled(false);
    connect(m_folgeblattbtn, &QPushButton::clicked, this,
            [this] { platform::guarded([this] { folgeblattbtnClick(); }); });
    m_navigator = new controls::DBNavigator(page);
    m_navigator->setObjectName(QStringLiteral("DBNavigator"));
    m_navigator->setGeometry(745, 33, 74, 25);
    m_navigator->setToolTip(QStringLiteral("blättern"));
    m_navigator->button(controls::DBNavigator::Prior)->setToolTip(QStringLiteral("Vorheriges Blatt"));
    m_navigator->button(controls::DBNavigator::Next)->setToolTip(QStringLiteral("Nächstes Blatt"));
    m_navigator->setDataSource(m_berichtsource);
    m_navigator->hide();
    connect(m_navigator, &controls::DBNavigator::beforeAction, this,
            [this] { platform::guarded([this] { checkspeichern(); }); });
    connect(m_navigator, &controls::DBNavigator::clicked, this,
            [this] { platform::guarded([this] { checkspeichern(); }); });
    m_vorschaubtn = controls::designedButton(page, "vorschaubtn", QStringLiteral("Vorschau"), QRect(744, 61, 75, 25));
    m_vorschaubtn->setEnabled(false);
    connect(m_vorschaubtn, &QPushButton::clicked, this, [this] { platform::guarded([this] { vorschaubtnClick(); }); });
    for (QPushButton *b : {m_cancelbtn, help, m_folgeblattbtn, m_vorschaubtn, datumbtn})
        b->setAutoDefault(false);

    m_hintPanel = new QFrame(page);
    m_hintPanel->setObjectName(QStringLiteral("Panel1"));
    m_hintPanel->setGeometry(719, 122, 222, 425);
    QLabel *heading = label(m_hintPanel, "Label19", QStringLiteral("Musterinhalte"), 8, 10, 13, true);
    QPalette blue = heading->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    heading->setPalette(blue);
    m_hintedit = bound(new controls::DBRichEdit, m_hintPanel, "hintedit", m_hintsource, "Text", QRect(1, 34, 219, 389));
    m_hintedit->setReadOnly(true);
    m_hintedit->setFocusPolicy(Qt::ClickFocus);
    m_hintedit->setContextMenuPolicy(Qt::NoContextMenu);
    m_hintedit->setToolTip(QStringLiteral("Linke Maustaste: Markieren, rechte Maustaste: Ziehen und ablegen."));
    QPalette tip = m_hintedit->palette();
    tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
    m_hintedit->setPalette(tip);
    m_hintedit->installEventFilter(this);
    m_hintedit->viewport()->installEventFilter(this);
}

void Tberichtdlg::buildDetailPanel(QWidget *panel, controls::DataSource *source)
{
    auto *lfdnr = bound(new controls::DBText, panel, "DBText3", source, "Lfdnr", QRect(8, 8, 30, 16));
    static_cast<void>(lfdnr);
    auto *memo = bound(new controls::DBMemo, panel, "detailmemo", source, "Alltext", QRect(44, 3, 435, 47));
    memo->setFont(pixelFont(13, false, QStringLiteral("Arial")));
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setToolTip(QStringLiteral("rechte Maustaste für Bearbeiten"));
    auto *ba = bound(new controls::DBCheckBox, panel, "DBCheckBox1", source, "BA", QRect(512, 8, 17, 17));
    auto *uelu = bound(new controls::DBCheckBox, panel, "DBCheckBox2", source, "UELU", QRect(600, 8, 17, 17));
    for (QWidget *w : std::initializer_list<QWidget *>{memo, ba, uelu})
        w->installEventFilter(this);
}

void Tberichtdlg::buildBack(QWidget *page)
{
    label(page, "Label20", QStringLiteral("Darstellung besonderer Ausbildungsinhalte"), 16, 13, 13, true);
    QGroupBox *box = framedBox(page, "GroupBox5", QRect(3, 33, 688, 64));
    label(box, "Label21", QStringLiteral("Datum"), 4, 9);
    auto *datum = bound(new controls::DBEdit, box, "DBEdit1", m_berichtsource, "Datum", QRect(53, 3, 87, 21));
    datum->setEnabled(false);
    datum->setReadOnly(true);
    label(box, "Label22", QStringLiteral("Thema:"), 146, 9);
    auto *thema = bound(new controls::DBMemo, box, "DBMemo1", m_berichtsource, "Thema", QRect(189, 7, 497, 49));
    thema->setFont(pixelFont(13, false, QStringLiteral("Arial")));
    thema->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    thema->installEventFilter(this);
    m_darstellungedit =
        bound(new controls::DBRichEdit, page, "DBRichEdit3", m_berichtsource, "Darstellung", QRect(3, 104, 690, 489));
    m_darstellungedit->setFont(pixelFont(13, false, QStringLiteral("Arial")));
    m_darstellungedit->setToolTip(QStringLiteral("rechte Maustaste für Zeichen"));
    m_darstellungedit->installEventFilter(this);
    QPushButton *preview =
        controls::designedButton(page, "ruecksformvorschau", QStringLiteral("Vorschau"), QRect(736, 35, 75, 25));
    preview->setAutoDefault(false);
    connect(preview, &QPushButton::clicked, this, [this] { platform::guarded([this] { ruecksformvorschauClick(); }); });
}

void Tberichtdlg::buildPictures(QWidget *page)
{
    auto *splitter = new QSplitter(Qt::Vertical, page);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(5);
    splitter->setChildrenCollapsible(false);
    splitter->setToolTip(QStringLiteral("Klicken und ziehen zum Verschieben"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    for (int i = 0; i < 2; ++i) {
        const QString n = QString::number(i + 1);
        auto *area = new QScrollArea;
        area->setObjectName(QStringLiteral("ScrollBox%1").arg(i + 2));
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setMinimumHeight(60);
        auto *content = new QWidget;
        content->setMinimumSize(920, 240);
        area->setWidget(content);
        area->setWidgetResizable(false);
        splitter->addWidget(area);
        m_pictureArea[i] = area;

        auto *advice = new QToolButton(content);
        advice->setObjectName(QStringLiteral("SpeedButton%1").arg(i + 1));
        advice->setText(QStringLiteral("i"));
        advice->setGeometry(24, 25, 23, 22);
        connect(advice, &QToolButton::clicked, this, [this] { platform::guarded([this] { SpeedButton1Click(); }); });
        QPushButton *load = controls::designedButton(content, i == 0 ? "bild1ladenbtn" : "bild2ladenbtn",
                                                     QStringLiteral("Bild laden"), QRect(64, 24, 75, 25));
        connect(load, &QPushButton::clicked, this, [this] { platform::notYetAvailable(QStringLiteral("Bild laden")); });
        QPushButton *del = controls::designedButton(content, i == 0 ? "bild1loeschenbtn" : "bild2loeschenbtn",
                                                    QStringLiteral("Bild löschen"), QRect(144, 24, 75, 25));
        connect(del, &QPushButton::clicked, this,
                [this, i] { platform::guarded([this, i] { bildloeschenbtnClick(i); }); });
        for (QPushButton *b : {load, del})
            b->setAutoDefault(false);
        auto *slider = new QSlider(Qt::Horizontal, content);
        slider->setObjectName(QStringLiteral("TrackBar") + n);
        slider->setGeometry(256, 22, 150, 28);
        slider->setRange(5, 100);
        slider->setSingleStep(5);
        slider->setPageStep(5);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setTickInterval(5);
        slider->setValue(100);
        slider->installEventFilter(this);
        connect(slider, &QSlider::valueChanged, this, [this, i] { TrackBarChange(i); });
        m_trackBar[i] = slider;
        m_groesse[i] = new QLabel(QStringLiteral("0"), content);
        m_groesse[i]->setObjectName(QStringLiteral("groesse") + n);
        m_groesse[i]->setGeometry(400, 30, 30, 16);
        m_groesse[i]->setAlignment(Qt::AlignRight | Qt::AlignTop);
        label(content, i == 0 ? "Label23" : "Label24", QStringLiteral("%"), 432, 30);
        label(content, i == 0 ? "Label25" : "Label26", QStringLiteral(" Bytes:"), 456, 30);
        m_bildgroessenlabel[i] =
            label(content, i == 0 ? "bildgroessenlabel1" : "bildgroessenlabel2", QStringLiteral("0"), 492, 30);
        m_image[i] = bound(new controls::DBImage, content, i == 0 ? "DBImage1" : "DBImage2", m_berichtsource,
                           i == 0 ? "Bild1" : "Bild2", QRect(24, 56, 145, 145));
    }
    splitter->setSizes({304, 300});
}

// --- Modes ---

void Tberichtdlg::setItemSource(controls::DataSource *source)
{
    if (m_detailgrid->dataSource() == source)
        return;
    m_detailgrid->setDataSource(source);
    // Whichever table the list shows, moving in it refreshes the samples.
    for (controls::DataSource *s : {m_tempsource, m_berichtdetailsource})
        disconnect(s, &controls::DataSource::dataChanged, this, nullptr);
    connect(source, &controls::DataSource::dataChanged, this, [this] {
        if (isVisible())
            detailgridnichtClick();
    });
}

bool Tberichtdlg::newReportMode() const
{
    return m_detailgrid->dataSource() == m_tempsource;
}

// --- Opening ---

void Tberichtdlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        platform::guarded([this] { FormShow(); });
}

void Tberichtdlg::FormShow()
{
    m_newReportStored = false;
    m_sheetRemembered = false;
    {
        // Selecting the page from the program is no page change of the user.
        const QSignalBlocker block(m_seiten);
        m_seiten->setCurrentIndex(0);
        m_page = 0;
    }
    setSlider(0, report().asInt(QStringLiteral("Zoom1")));
    setSlider(1, report().asInt(QStringLiteral("Zoom2")));
    m_bkmName->setText(m_session.trainerName);
    m_bkmName->adjustSize();
    m_stiftName->setText(m_session.apprenticeName);
    m_stiftName->adjustSize();
    m_scrollBox->verticalScrollBar()->setValue(0);
    checknavigator();
    detailgridnichtClick();
    showStoredPictureSize(0);
    showStoredPictureSize(1);
}

void Tberichtdlg::checknavigator()
{
    store::Table &t = report();
    m_navigator->setEnabled(!(t.bof() && t.eof()));
}

void Tberichtdlg::detailgridnichtClick()
{
    store::Table *items = newReportMode() ? &m_tables.temptable() : &m_tables.berichtdetailtable();
    const int part = items->isOpen() ? items->asInt(QStringLiteral("Lfdnr")) : 0;
    const int hint = items->isOpen() ? items->asInt(QStringLiteral("Hintid")) : 0;
    store::Table &hints = m_tables.hinttable();
    const bool found = hints.isOpen() && hints.findKey({part, hint});
    m_hintedit->setVisible(found);
}

// --- Week dates ---

void Tberichtdlg::datumbtnClick()
{
    // The Monday of the current week; on a Sunday the following Monday.
    const QDate today = platform::clock().now().date();
    const int weekday = today.dayOfWeek() % 7 + 1; // 1 = Sunday ... 7 = Saturday
    m_kaldlg->setDate(today.addDays(2 - weekday));
    if (platform::modalRunner().run(*m_kaldlg) != QDialog::Accepted)
        return;
    const QDate picked = m_kaldlg->date();
    store::Table &t = report();
    t.edit();
    t.setValue(QStringLiteral("WocheVom"), picked);
    t.setValue(QStringLiteral("WocheBis"), picked.addDays(4));
    t.setValue(QStringLiteral("Datum"), picked.addDays(4));
}

// --- Save guard and sheets ---

void Tberichtdlg::checkspeichern()
{
    store::Table &temp = m_tables.temptable();
    store::Table &rep = report();
    if (!temp.isEditing() && !rep.isEditing())
        return;
    const auto answer =
        platform::messages().confirmYesNo(QStringLiteral("Diese Funktion erfordert ein Abspeichern des Berichtes. "
                                                         "Jetzt speichern? (Änderungen werden "
                                                         "ansonsten verworfen!)"));
    if (answer == platform::Answer::Yes) {
        if (temp.isEditing())
            temp.post();
        if (rep.isEditing())
            rep.post();
    } else {
        temp.cancel();
        // A new report that was never stored stays pending: dropping it
        // here would leave the dialog on some other stored report, and OK
        // would then give that one the new report's items.
        if (rep.state() != store::TableState::Insert)
            rep.cancel();
    }
}

// --- Current rich-text field ---

void Tberichtdlg::memoEnter(controls::DBRichEdit *edit)
{
    m_currentRichEdit = edit;
    report().edit();
    // The samples are only read: their text is never written back.
    if (edit != m_hintedit)
        edit->setModified(true);
}

void Tberichtdlg::anfeditEnter()
{
    m_currentRichEdit = nullptr;
}

bool Tberichtdlg::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == m_scrollBox->parentWidget())
            m_scrollBox->resize(m_scrollBox->width(), static_cast<QResizeEvent *>(event)->size().height());
        break;
    case QEvent::FocusIn:
        if (auto *rich = qobject_cast<controls::DBRichEdit *>(watched))
            platform::guarded([this, rich] { memoEnter(rich); });
        else if (qobject_cast<QSlider *>(watched))
            platform::guarded([this] { report().edit(); }); // the zoom is stored with the report
        else if (watched != m_detailgrid && qobject_cast<QWidget *>(watched))
            anfeditEnter();
        break;
    case QEvent::Wheel:
        if (watched == m_scrollBox->viewport()) {
            ScrollBox1MouseWheel(static_cast<QWheelEvent *>(event)->angleDelta().y());
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == m_hintedit->viewport()) {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->button() != Qt::LeftButton) {
                hinteditMouseDown(me->button());
                m_dragStart = me->position().toPoint();
                return m_dragArmed;
            }
        }
        break;
    case QEvent::MouseMove:
        if (watched == m_hintedit->viewport() && m_dragArmed) {
            auto *me = static_cast<QMouseEvent *>(event);
            if ((me->position().toPoint() - m_dragStart).manhattanLength() >= 20) {
                m_dragArmed = false;
                auto *drag = new QDrag(m_hintedit);
                auto *mime = new QMimeData;
                mime->setData(hintDrag, QByteArray());
                drag->setMimeData(mime);
                drag->exec(Qt::CopyAction);
                return true;
            }
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == m_hintedit->viewport())
            m_dragArmed = false;
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (watched == m_taetigkeitedit->viewport()) {
            auto *de = static_cast<QDragMoveEvent *>(event);
            if (taetigkeiteditDragOver(de->position().toPoint(), de->source()))
                de->acceptProposedAction();
            else
                de->ignore();
            return true;
        }
        break;
    case QEvent::Drop:
        if (watched == m_taetigkeitedit->viewport()) {
            auto *de = static_cast<QDropEvent *>(event);
            platform::guarded([this, de] { taetigkeiteditDragDrop(de->position().toPoint(), de->source()); });
            de->acceptProposedAction();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void Tberichtdlg::ScrollBox1MouseWheel(int delta)
{
    QScrollBar *bar = m_scrollBox->verticalScrollBar();
    bar->setValue(bar->value() - delta / 10);
}

// --- Deleting a plan item ---

void Tberichtdlg::loeschbtnClick()
{
    store::Table *items = itemTable();
    QStringList lines;
    if (QWidget *panel = m_detailgrid->currentPanel())
        if (auto *memo = panel->findChild<controls::DBMemo *>(QStringLiteral("detailmemo")))
            lines = memo->displayLines();
    while (lines.size() < 2)
        lines << QString();
    const QString question = QStringLiteral("Wollen Sie wirklich \n\n") + lines[0] + QStringLiteral("\n ") + lines[1]
                             + QStringLiteral("\n\nlöschen?");
    if (platform::messages().confirmYesNo(question) != platform::Answer::Yes)
        return;
    if (!items || !items->isOpen() || items->isEmpty())
        return; // nothing to delete: ignored
    try {
        items->cancel();
        items->remove();
    } catch (const std::exception &) {
        // a failed deletion is ignored
    }
    const int pos = items->recNo();
    store::Table &rep = report();
    rep.edit();
    store::writeCoveredParts(rep, store::coveredParts(m_tables.temptable(), store::PartRows::Composition));
    if (pos >= 0)
        items->moveTo(std::min(pos, items->recordCount() - 1));
}

// --- Sample text dragged into the activities ---

void Tberichtdlg::hinteditMouseDown(Qt::MouseButton button)
{
    static_cast<void>(button);
    m_dragArmed = false;
    if (!m_hintedit->textCursor().hasSelection())
        return;
    m_hintedit->copy();
    m_scratch->clear();
    m_scratch->paste();
    m_scratch->selectAll();
    m_scratch->setFontPointSize(10);
    m_scratch->copy();
    m_dragArmed = true;
}

bool Tberichtdlg::taetigkeiteditDragOver(const QPoint &pos, QObject *source)
{
    m_taetigkeitedit->setFocus();
    if (!qobject_cast<controls::DBRichEdit *>(source))
        return false;
    m_taetigkeitedit->setTextCursor(m_taetigkeitedit->cursorForPosition(pos));
    return true;
}

void Tberichtdlg::taetigkeiteditDragDrop(const QPoint &pos, QObject *source)
{
    if (!taetigkeiteditDragOver(pos, source))
        return;
    m_scratch->selectAll();
    m_scratch->copy();
    m_taetigkeitedit->paste();
}

// --- Pages ---

void Tberichtdlg::seitenChanging(int leaving)
{
    store::Table &rep = report();
    rep.edit();
    rep.setValue(QStringLiteral("Zoom1"), m_trackBar[0]->value());
    rep.setValue(QStringLiteral("Zoom2"), m_trackBar[1]->value());
    if (m_vorschaubtn->isEnabled() && leaving == 0) {
        m_rememberedSheet = rep.bookmark();
        m_sheetRemembered = true;
    }
}

void Tberichtdlg::seitenChange()
{
    m_pictureArea[0]->verticalScrollBar()->setValue(0);
    for (int i = 0; i < 2; ++i)
        setSlider(i, std::max(5, roundEven(m_image[i]->width() / 9.0)));
    if (!m_vorschaubtn->isEnabled())
        return;
    store::Table &rep = report();
    if (m_seiten->currentIndex() != 0) {
        rep.first();
    } else if (m_sheetRemembered) {
        rep.gotoBookmark(m_rememberedSheet);
        m_sheetRemembered = false;
    }
}

// --- Pictures ---

void Tberichtdlg::setSlider(int picture, int value)
{
    const QSignalBlocker block(m_trackBar[picture]);
    m_trackBar[picture]->setValue(value);
    TrackBarChange(picture); // also when the slider had the value already
}

void Tberichtdlg::TrackBarChange(int picture)
{
    const QImage image = m_image[picture]->picture();
    if (image.isNull() || image.width() <= 0)
        return;
    const int value = m_trackBar[picture]->value();
    m_groesse[picture]->setText(QString::number(value));
    const int width = value * 9;
    m_image[picture]->resize(width, roundEven(double(width) * image.height() / image.width()));
}

void Tberichtdlg::showStoredPictureSize(int picture)
{
    const QString field = picture == 0 ? QStringLiteral("Bild1") : QStringLiteral("Bild2");
    m_bildgroessenlabel[picture]->setText(QString::number(report().asBytes(field).size()));
    m_bildgroessenlabel[picture]->adjustSize();
}

void Tberichtdlg::bildloeschenbtnClick(int picture)
{
    store::Table &rep = report();
    rep.edit();
    rep.clearValue(picture == 0 ? QStringLiteral("Bild1") : QStringLiteral("Bild2"));
    showStoredPictureSize(picture);
    m_image[picture]->resize(1, 1);
}

void Tberichtdlg::SpeedButton1Click()
{
    platform::messages().information(QStringLiteral("Bitte bedenken Sie, daß Bilder und Grafiken sehr schnell "
                                                    "viel Speicherplatz belegen können und "
                                                    "nicht deutlich größer als 2.000.000 Bytes bzw. max. 2 "
                                                    "Megapixel sein sollten!"));
}

// --- Previews and follow-up sheet ---


void Tberichtdlg::setPrintForms(Tberichtform *front, Tqrruecksform *back)
{
    m_berichtform = front;
    m_qrruecksform = back;
}

void Tberichtdlg::vorschaubtnClick()
{
    // The sheet prints as it stands on the screen, without being stored:
    // the formatted fields hand their text to the row's edit buffer.
    m_taetigkeitedit->flush();
    m_vermerkeedit->flush();
    m_session.druckart = store::PrintKind::FrontSheet;
    if (m_berichtform)
        engine::preview(m_berichtform->QuickRep1());
}

void Tberichtdlg::ruecksformvorschauClick()
{
    checkspeichern();
    m_session.druckart = store::PrintKind::BackSheet;
    if (!m_qrruecksform)
        return;
    // The pictures print at the size they are shown here.
    for (int i = 0; i < 2; ++i)
        m_qrruecksform->setPictureDisplaySize(i, m_image[i]->size());
    engine::preview(m_qrruecksform->QuickRep());
}

void Tberichtdlg::folgeblattbtnClick()
{
    platform::notYetAvailable(QStringLiteral("Folgeblatt"));
}

// --- Closing ---

void Tberichtdlg::keyPressEvent(QKeyEvent *event)
{
    // Escape is the delete button's key while that button is enabled, and
    // does nothing otherwise.
    if (event->key() == Qt::Key_Escape) {
        if (m_loeschbtn->isEnabled())
            m_loeschbtn->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tberichtdlg::done(int result)
{
    bool close = false;
    platform::guarded([&] { close = FormClose(result); });
    if (close)
        QDialog::done(result);
}

bool Tberichtdlg::FormClose(int result)
{
    store::Table &rep = report();
    if (result == QDialog::Accepted) {
        rep.edit();
        rep.setValue(QStringLiteral("Zoom1"), m_trackBar[0]->value());
        rep.setValue(QStringLiteral("Zoom2"), m_trackBar[1]->value());
        // The week dates as typed: storing the row shows what it holds.
        const bool startFailed = !controls::parseDate(m_anfedit->text()).isValid();
        const bool endFailed = !controls::parseDate(m_endedit->text()).isValid();
        rep.post();
        if (startFailed || endFailed) {
            m_bernoclosedlg->showFields(startFailed, endFailed);
            platform::modalRunner().run(*m_bernoclosedlg);
            return false;
        }
        return true;
    }
    store::Table *items = itemTable();
    // A new report stored before (OK with a bad week date, or the save
    // guard) is still a new report: cancelling it discards it as a whole.
    const bool pending = rep.isEditing() || (items && items->isEditing()) || (newReportMode() && m_newReportStored);
    if (!pending)
        return true;
    if (platform::messages().confirmYesNo(QStringLiteral("Wollen Sie wirklich abbrechen und die Änderungen verwerfen?"))
        != platform::Answer::Yes)
        return false;
    if (items)
        items->cancel();
    rep.cancel();
    return true;
}
