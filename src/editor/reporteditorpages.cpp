// The report editor's three pages as designed: the front page with the
// week, the covered parts, the item list, the activities and the remarks;
// the back side; the two pictures. Positions are the design's pixels.

#include "reporteditor.h"

#include "formattools.h"

#include "controls/anchors.h"
#include "controls/dbcontrols.h"
#include "controls/designed.h"
#include "controls/dictionary.h"
#include "controls/keyboard.h"
#include "controls/spelling.h"
#include "domain/coveredparts.h"
#include "platform/guard.h"
#include "platform/help.h"
#include "platform/messages.h"
#include "store/fields.h"
#include "store/tableset.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <tuple>

namespace field = store::field;

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
T *bound(T *control, QWidget *parent, const char *name, controls::DataSource *source, const QString &field,
         const QRect &r)
{
    control->setParent(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(r);
    control->bind(source, field);
    return control;
}

} // namespace

void Tberichtdlg::buildPages()
{
    setFont(QFont(dialogFamily, 8));
    resize(962, 681);

    // The formatting tools sit in the bar above the pages.
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setGeometry(0, 0, 962, 30);

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
    controls::addPageKeys(m_seiten);

    anchorToTheWindow(front, back);

    m_formatTools = new FormatTools(bar, this, [this] { return m_currentRichEdit; });
    for (controls::DBRichEdit *e : {m_taetigkeitedit, m_vermerkeedit, m_darstellungedit})
        m_formatTools->attach(e, true);
    m_formatTools->attach(m_hintedit, false);

    // The spelling check of what the apprentice writes; the rich texts keep
    // their format menu below the check's items.
    controls::Speller::instance().usePersonalList(m_tables.dataDir());
    const QString settings = m_tables.places().settingsFile();
    for (controls::DBRichEdit *e : {m_taetigkeitedit, m_darstellungedit})
        controls::SpellCheck::attach(e, settings)->setNormalMenu([this] {
            m_formatTools->PopupMenuPopup();
            return m_formatTools->PopupMenu()->actions();
        });
    controls::SpellCheck::attach(back->findChild<controls::DBMemo *>(QStringLiteral("DBMemo1")), settings);
}

void Tberichtdlg::anchorToTheWindow(QWidget *front, QWidget *back)
{
    // Maximised, the text fields and the sample text take the room: the
    // front's form widens with its scroll box, the buttons and the sample
    // panel keep to the right edge, the back's description fills the page.
    auto *anchors = new controls::Anchors(this, QSize(962, 681));
    const auto on = [](QWidget *parent, const char *name) {
        auto *w = parent->findChild<QWidget *>(QLatin1String(name));
        Q_ASSERT(w);
        return w;
    };
    const Qt::Edges wide = Qt::LeftEdge | Qt::RightEdge;
    QWidget *form = m_scrollBox->widget();
    anchors->anchor(m_scrollBox, wide);
    anchors->anchor(form, wide);
    for (QWidget *w : {on(form, "GroupBox3"), static_cast<QWidget *>(m_taetigkeitedit), on(form, "GroupBox4"),
                       static_cast<QWidget *>(m_vermerkeedit)})
        anchors->anchor(w, wide);
    anchors->anchor(m_taetigkeitenPasst, Qt::RightEdge);
    for (QWidget *w : {static_cast<QWidget *>(m_okbtn), static_cast<QWidget *>(m_cancelbtn), on(front, "hilfebtn"),
                       static_cast<QWidget *>(m_folgeblattbtn), static_cast<QWidget *>(m_navigator),
                       static_cast<QWidget *>(m_vorschaubtn)})
        anchors->anchor(w, Qt::RightEdge);
    anchors->anchor(m_hintPanel, Qt::RightEdge | Qt::TopEdge | Qt::BottomEdge);
    anchors->anchor(m_hintedit, Qt::TopEdge | Qt::BottomEdge);

    anchors->anchor(m_darstellungedit, wide | Qt::TopEdge | Qt::BottomEdge);
    anchors->anchor(on(back, "GroupBox5"), wide);
    anchors->anchor(on(back, "DBMemo1"), wide);
    anchors->anchor(m_darstellungPasst, Qt::RightEdge);
    anchors->anchor(on(back, "ruecksformvorschau"), Qt::RightEdge);
}

void Tberichtdlg::buildFront(QWidget *page)
{
    m_scrollBox = new QScrollArea(page);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setGeometry(0, 0, 717, 532);
    m_scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollBox->setAccessibleName(QStringLiteral("Vorderseite"));
    m_scrollBox->viewport()->installEventFilter(this);
    page->installEventFilter(this); // the scroll box stretches downwards with the page
    auto *form = new QWidget;
    form->setObjectName(QStringLiteral("ScrollBox1Content"));
    form->setMinimumSize(700, 946);
    form->resize(700, 946);
    m_scrollBox->setWidget(form);

    QLabel *title = label(form, "Label1", QStringLiteral("Ausbildungsnachweis Nr. "), 16, 3, 19);
    auto *nummer = bound(new controls::DBText, form, "DBText1", m_berichtsource, field::Nummer,
                         QRect(std::max(248, title->geometry().right() + 1), 3, 60, 24));
    nummer->setFont(pixelFont(19));
    label(form, "Label2", QStringLiteral("Blatt"), 205, 27);
    bound(new controls::DBText, form, "DBText2", m_berichtsource, field::Blatt, QRect(250, 27, 30, 16));
    label(form, "Label3", QStringLiteral("Name:"), 286, 2);
    m_stiftName = label(form, "stiftname", QString(), 320, 2);
    label(form, "Label4", QStringLiteral("Ausbildender:"), 496, 2);
    m_bkmName = label(form, "bkmname", QString(), 562, 2);
    QLabel *weekLabel = label(form, "Label5", QStringLiteral("für die &Woche vom "), 287, 26);
    QPushButton *datumbtn = controls::designedButton(form, "datumbtn", QStringLiteral("?"), QRect(384, 21, 23, 22));
    datumbtn->setToolTip(QStringLiteral("Kalender"));
    datumbtn->setAccessibleName(QStringLiteral("Kalender"));
    datumbtn->setAccessibleDescription(QStringLiteral("Woche im Kalender wählen"));
    connect(datumbtn, &QPushButton::clicked, this, [this] { platform::guarded([this] { datumbtnClick(); }); });
    m_anfedit = bound(new controls::DBEdit, form, "anfedit", m_berichtsource, field::WocheVom, QRect(408, 21, 87, 21));
    QLabel *untilLabel = label(form, "Label6", QStringLiteral("&bis"), 501, 26);
    m_endedit = bound(new controls::DBEdit, form, "endedit", m_berichtsource, field::WocheBis, QRect(520, 21, 87, 21));
    for (auto *e : {m_anfedit, m_endedit})
        e->setToolTip(QStringLiteral("rechte Maustaste für Bearbeiten"));
    weekLabel->setBuddy(m_anfedit);
    untilLabel->setBuddy(m_endedit);
    label(form, "Label7", QStringLiteral("A-Jahr: "), 624, 26);
    auto *jahr = bound(new controls::DBText, form, "DBText4", m_berichtsource, field::AJahr, QRect(660, 26, 24, 16));
    QFont bold = jahr->font();
    bold.setBold(true);
    jahr->setFont(bold);
    jahr->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    QGroupBox *parts = framedBox(form, "GroupBox1", QRect(3, 48, 690, 57));
    label(parts, "Label8", QStringLiteral("Teil des Ausbildungsberufsbildes"), 13, 4, 19);
    label(form, "Label9", QStringLiteral("Nr.:"), 16, 74, 19);
    const int xs[domain::coveredPartFields] = {52, 106, 160, 214, 268, 323, 377, 431, 485, 539};
    for (int i = 0; i < domain::coveredPartFields; ++i) {
        const QString field = domain::coveredPartField(i);
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
    QLabel *itemsLabel = label(items, "Label10", QStringLiteral("Fertigkeiten und &Kenntnisse"), 8, 4, 13, true);
    label(items, "Label11", QStringLiteral("Nach dem betrieblichen Ausbildungsplan"), 8, 22, 13);
    // The column heads wrap at their blank. At the editor's 8 pt the dots
    // of the capital "Ü" melt into the letter on this platform: the heads
    // take 12 pixels (9 pt), with two pixels of room above the dots.
    for (const auto &[name, text, x] :
         {std::tuple{"Label12", "Betriebliche Ausbildung", 504}, std::tuple{"Label13", "ÜLU- Maßnahme", 592}}) {
        QLabel *head = label(form, name, QString::fromUtf8(text), x, 115 - 2, 12);
        head->setWordWrap(true);
        head->setContentsMargins(0, 2, 0, 0);
        head->setFixedWidth(80);
        head->setFixedHeight(head->heightForWidth(80));
    }
    m_loeschbtn = controls::designedButton(form, "loeschbtn", QStringLiteral("✕"), QRect(304, 120, 25, 25));
    m_loeschbtn->setToolTip(QStringLiteral("Fertigkeiten und Kenntnisse löschen"));
    m_loeschbtn->setAccessibleName(QStringLiteral("Fertigkeiten und Kenntnisse löschen"));
    m_loeschbtn->setAccessibleDescription(QStringLiteral("Taste: Esc"));
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
    itemsLabel->setBuddy(m_detailgrid);
    if (auto *rows = m_detailgrid->findChild<QScrollArea *>())
        rows->setAccessibleName(QStringLiteral("Fertigkeiten und Kenntnisse"));

    framedBox(form, "GroupBox3", QRect(3, 264, 690, 24));
    QLabel *activitiesLabel = label(
        form, "Label14", QStringLiteral("Angaben über die ausgeführte &Tätigkeit in Stichworten"), 10, 268, 13, true);
    m_taetigkeitenPasst = label(form, "lblTaetigkeitenPasst", QString(), 0, 268, 13);
    m_taetigkeitenPasst->setGeometry(430, 268, 255, 17);
    m_taetigkeitenPasst->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_taetigkeitedit = bound(new controls::DBRichEdit, form, "taetigkeitedit", m_berichtsource, field::Taetigkeit,
                             QRect(3, 288, 690, 201));
    activitiesLabel->setBuddy(m_taetigkeitedit);
    QLabel *note = label(form, "Label15",
                         QStringLiteral("Besondere Themen der im Rahmen dieser "
                                        "Ausbildungswoche(n) durchgeführten "
                                        "Unterweisungen können umseitig beschrieben werden"),
                         26, 495);
    note->setFont(pixelFont(11, false, QStringLiteral("Arial")));
    note->adjustSize();
    framedBox(form, "GroupBox4", QRect(3, 520, 690, 30));
    QLabel *remarksLabel =
        label(form, "Label16", QStringLiteral("V&ermerke des Ausbildenden/Ausbilders"), 10, 526, 13, true);
    m_vermerkeedit =
        bound(new controls::DBRichEdit, form, "DBRichEdit2", m_berichtsource, field::Vermerke, QRect(3, 552, 690, 192));
    remarksLabel->setBuddy(m_vermerkeedit);
    QLabel *dateLabel = label(form, "Label17", QStringLiteral("&Datum"), 7, 763);
    m_datumedit = bound(new controls::DBEdit, form, "datumedit", m_berichtsource, field::Datum, QRect(48, 758, 87, 24));
    m_datumedit->setFont(pixelFont(13, true));
    m_datumedit->setToolTip(QStringLiteral("rechte Maustaste für Bearbeiten"));
    dateLabel->setBuddy(m_datumedit);
    // The trainer's review beside the date, where the sheet is signed.
    m_gesehencheck = new QCheckBox(QStringLiteral("vom Ausbildenden &gesehen"), form);
    m_gesehencheck->setObjectName(QStringLiteral("gesehencheck"));
    m_gesehencheck->setGeometry(160, 760, 170, 20);
    m_gesehencheck->setToolTip(QStringLiteral("Der Ausbildende hat diesen Bericht gesehen"));
    m_gesehencheck->setEnabled(false);
    connect(m_gesehencheck, &QCheckBox::clicked, this,
            [this](bool checked) { platform::guarded([this, checked] { gesehencheckClick(checked); }); });
    m_gesehenlabel = label(form, "gesehenlabel", QString(), 336, 763);
    m_gesehenlabel->setGeometry(336, 763, 357, 16);
    label(form, "Label18", QString(), 632, 933);

    for (controls::DBRichEdit *e : {m_taetigkeitedit, m_vermerkeedit}) {
        e->setFont(pixelFont(13, false, QStringLiteral("Arial")));
        e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        e->setToolTip(QStringLiteral("rechte Maustaste für Zeichen"));
    }
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_taetigkeitedit, m_vermerkeedit, m_anfedit, m_endedit, m_datumedit})
        w->installEventFilter(this);

    // Right of the scroll box
    m_okbtn = controls::designedButton(page, "okbtn", QStringLiteral("&OK"), QRect(831, 5, 75, 25));
    m_okbtn->setToolTip(QStringLiteral("Bericht ablegen"));
    m_okbtn->setDefault(true);
    connect(m_okbtn, &QPushButton::clicked, this, &QDialog::accept);
    m_cancelbtn = controls::designedButton(page, "cancelbtn", QStringLiteral("&Abbrechen"), QRect(831, 33, 75, 25));
    connect(m_cancelbtn, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton *help = controls::designedButton(page, "hilfebtn", QStringLiteral("&Hilfe"), QRect(831, 61, 75, 25));
    connect(help, &QPushButton::clicked, this, [this] { platform::showHelp(platform::helpContext(this)); });
    m_folgeblattbtn =
        controls::designedButton(page, "folgeblattbtn", QStringLiteral("&Folgeblatt"), QRect(744, 5, 75, 25));
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
    m_navigator->button(controls::DBNavigator::Prior)->setAccessibleName(QStringLiteral("Vorheriges Blatt"));
    m_navigator->button(controls::DBNavigator::Next)->setAccessibleName(QStringLiteral("Nächstes Blatt"));
    m_navigator->setDataSource(m_berichtsource);
    m_navigator->hide();
    connect(m_navigator, &controls::DBNavigator::beforeAction, this,
            [this] { platform::guarded([this] { checkspeichern(); }); });
    connect(m_navigator, &controls::DBNavigator::clicked, this,
            [this] { platform::guarded([this] { checkspeichern(); }); });
    m_vorschaubtn = controls::designedButton(page, "vorschaubtn", QStringLiteral("&Vorschau"), QRect(744, 61, 75, 25));
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
    m_hintedit =
        bound(new controls::DBRichEdit, m_hintPanel, "hintedit", m_hintsource, field::Text, QRect(1, 34, 219, 389));
    m_hintedit->setReadOnly(true);
    m_hintedit->setFocusPolicy(Qt::ClickFocus);
    m_hintedit->setContextMenuPolicy(Qt::NoContextMenu);
    m_hintedit->setToolTip(QStringLiteral("Linke Maustaste: Markieren, rechte Maustaste: Ziehen und ablegen."));
    QPalette tip = m_hintedit->palette();
    tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
    m_hintedit->setPalette(tip);
    m_hintedit->installEventFilter(this);
}

void Tberichtdlg::buildDetailPanel(QWidget *panel, controls::DataSource *source)
{
    auto *lfdnr = bound(new controls::DBText, panel, "DBText3", source, field::Lfdnr, QRect(8, 8, 30, 16));
    static_cast<void>(lfdnr);
    auto *memo = bound(new controls::DBMemo, panel, "detailmemo", source, field::Alltext, QRect(44, 3, 435, 47));
    memo->setFont(pixelFont(13, false, QStringLiteral("Arial")));
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setToolTip(QStringLiteral("rechte Maustaste für Bearbeiten"));
    memo->setAccessibleName(QStringLiteral("Fertigkeit oder Kenntnis"));
    auto *ba = bound(new controls::DBCheckBox, panel, "DBCheckBox1", source, field::BA, QRect(512, 8, 17, 17));
    auto *uelu = bound(new controls::DBCheckBox, panel, "DBCheckBox2", source, field::UELU, QRect(600, 8, 17, 17));
    ba->setAccessibleName(QStringLiteral("Betriebliche Ausbildung"));
    uelu->setAccessibleName(QStringLiteral("ÜLU-Maßnahme"));
    for (QWidget *w : std::initializer_list<QWidget *>{memo, ba, uelu})
        w->installEventFilter(this);
}

void Tberichtdlg::buildBack(QWidget *page)
{
    QLabel *presentationLabel =
        label(page, "Label20", QStringLiteral("&Darstellung besonderer Ausbildungsinhalte"), 16, 13, 13, true);
    m_darstellungPasst = label(page, "lblDarstellungPasst", QString(), 0, 13, 13);
    m_darstellungPasst->setGeometry(430, 13, 261, 17);
    m_darstellungPasst->setAlignment(Qt::AlignRight | Qt::AlignTop);
    QGroupBox *box = framedBox(page, "GroupBox5", QRect(3, 33, 688, 64));
    QLabel *backDateLabel = label(box, "Label21", QStringLiteral("Datum"), 4, 9);
    auto *datum = bound(new controls::DBEdit, box, "DBEdit1", m_berichtsource, field::Datum, QRect(53, 3, 87, 21));
    datum->setEnabled(false);
    datum->setReadOnly(true);
    backDateLabel->setBuddy(datum);
    QLabel *topicLabel = label(box, "Label22", QStringLiteral("&Thema:"), 146, 9);
    auto *thema = bound(new controls::DBMemo, box, "DBMemo1", m_berichtsource, field::Thema, QRect(189, 7, 497, 49));
    thema->setFont(pixelFont(13, false, QStringLiteral("Arial")));
    thema->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    thema->installEventFilter(this);
    topicLabel->setBuddy(thema);
    m_darstellungedit = bound(new controls::DBRichEdit, page, "DBRichEdit3", m_berichtsource, field::Darstellung,
                              QRect(3, 104, 690, 489));
    m_darstellungedit->setFont(pixelFont(13, false, QStringLiteral("Arial")));
    m_darstellungedit->setToolTip(QStringLiteral("rechte Maustaste für Zeichen"));
    m_darstellungedit->installEventFilter(this);
    presentationLabel->setBuddy(m_darstellungedit);
    QPushButton *preview =
        controls::designedButton(page, "ruecksformvorschau", QStringLiteral("&Vorschau"), QRect(736, 35, 75, 25));
    preview->setAutoDefault(false);
    connect(preview, &QPushButton::clicked, this, [this] { platform::guarded([this] { ruecksformvorschauClick(); }); });
}

void Tberichtdlg::buildPictures(QWidget *page)
{
    auto *splitter = new QSplitter(Qt::Vertical, page);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(5);
    splitter->setChildrenCollapsible(false);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    for (int i = 0; i < 2; ++i) {
        const QString n = QString::number(i + 1);
        auto *area = new QScrollArea;
        area->setObjectName(QStringLiteral("ScrollBox%1").arg(i + 2));
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setAccessibleName(QStringLiteral("Bild %1").arg(i + 1));
        area->setMinimumHeight(60);
        // A Tab stop of its own (the keys scroll a large picture): its focus shows.
        area->setStyleSheet(QStringLiteral("QScrollArea:focus { border: 2px dotted palette(highlight); }"));
        auto *content = new QWidget;
        content->setMinimumSize(920, 240);
        area->setWidget(content);
        area->setWidgetResizable(false);
        splitter->addWidget(area);
        m_pictureArea[i] = area;

        auto *advice = new QToolButton(content);
        advice->setObjectName(QStringLiteral("SpeedButton%1").arg(i + 1));
        advice->setText(QStringLiteral("i"));
        advice->setIcon(advice->style()->standardIcon(QStyle::SP_MessageBoxInformation));
        advice->setIconSize(QSize(16, 16));
        advice->setGeometry(24, 25, 23, 22);
        advice->setAccessibleName(QStringLiteral("Hinweis zur Größe von Bildern"));
        connect(advice, &QToolButton::clicked, this, [this] { platform::guarded([this] { SpeedButton1Click(); }); });
        QPushButton *load = controls::designedButton(
            content, i == 0 ? "bild1ladenbtn" : "bild2ladenbtn",
            i == 0 ? QStringLiteral("&Bild laden") : QStringLiteral("Bil&d laden"), QRect(64, 24, 75, 25));
        connect(load, &QPushButton::clicked, this,
                [this, i] { platform::guarded([this, i] { bildladenbtnClick(i); }); });
        QPushButton *del = controls::designedButton(
            content, i == 0 ? "bild1loeschenbtn" : "bild2loeschenbtn",
            i == 0 ? QStringLiteral("Bild &löschen") : QStringLiteral("Bild lö&schen"), QRect(144, 24, 75, 25));
        for (QPushButton *b : {load, del})
            b->setAccessibleDescription(i == 0 ? QStringLiteral("oberes Bild") : QStringLiteral("unteres Bild"));
        connect(del, &QPushButton::clicked, this,
                [this, i] { platform::guarded([this, i] { bildloeschenbtnClick(i); }); });
        for (QPushButton *b : {load, del})
            b->setAutoDefault(false);
        auto *slider = new QSlider(Qt::Horizontal, content);
        slider->setObjectName(QStringLiteral("TrackBar") + n);
        slider->setAccessibleName(QStringLiteral("Größe von Bild %1 in Prozent").arg(n));
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
        // Right-aligned: its right edge stays where the designed "0" at 422
        // ends, so that "100" grows to the left.
        const int right = 422 + m_groesse[i]->fontMetrics().horizontalAdvance(QLatin1Char('0'));
        m_groesse[i]->setGeometry(right - 30, 30, 30, 16);
        m_groesse[i]->setAlignment(Qt::AlignRight | Qt::AlignTop);
        label(content, i == 0 ? "Label23" : "Label24", QStringLiteral("%"), 432, 30);
        label(content, i == 0 ? "Label25" : "Label26", QStringLiteral(" Bytes:"), 456, 30);
        m_bildgroessenlabel[i] =
            label(content, i == 0 ? "bildgroessenlabel1" : "bildgroessenlabel2", QStringLiteral("0"), 492, 30);
        // What the per cent mean on paper.
        m_druckgroesse[i] = label(content, i == 0 ? "druckgroesse1" : "druckgroesse2", QString(), 600, 30);
        m_druckgroesse[i]->setAccessibleName(QStringLiteral("Druckgröße von Bild %1").arg(n));
        m_image[i] = bound(new controls::DBImage, content, i == 0 ? "DBImage1" : "DBImage2", m_berichtsource,
                           i == 0 ? field::Bild1 : field::Bild2, QRect(24, 56, 145, 145));
    }
    // The upper area keeps its height when the page grows; the hint belongs
    // to the splitter bar alone (the areas would show it too).
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({304, 300});
    splitter->handle(1)->setToolTip(QStringLiteral("Klicken und ziehen zum Verschieben"));
}
