#include "ui/Pattern.h"

#include "midi/ThreadUnit.h"
#include "model/ChordTable.h"
#include "model/Declare.h"
#include "ui/Colors.h"
#include "ui/Controls.h"
#include "ui/HelpContext.h"
#include "ui/ImgButton.h"
#include "ui/ImgSwitch.h"
#include "ui/Main.h"
#include "ui/MessageDlg.h"
#include "ui/PanelResources.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLCDNumber>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtCore/qglobal.h>

#include <mutex>
#include <tuple>

std::vector<std::vector<ui::TPatternCell>> PatternCells;
int EndMarkerCol = -1;
int EndMarkerRow = -1;
int LoopMarkerCol = -1;
int LoopMarkerRow = -1;
int PatternRoot = 0;
int PatternChord = 0;
int PatternInversion = 0;
TFrmPattern *FrmPattern = nullptr;

// At file scope, not in a namespace: the registration macro declares the
// generated function where it is used, and the generated one is global.
static void RegisterPatternResources()
{
    Q_INIT_RESOURCE(pattern);
}

using ui::TPatternCell;

namespace {

// ---------------------------------------------------------------------------
// The window's definition

constexpr int PatternHelpContext = 52;
constexpr int ColumnCount = 5;
constexpr int DesignedRows = 20;
constexpr int RowHeight = 24;
constexpr int ColumnWidths[ColumnCount] = {35, 95, 95, 95, 95};
constexpr uint32_t MoneyGreen = 0xC0DCC0;
constexpr uint32_t CellTextColor = 0xFF0000; // blue
constexpr uint32_t TempoColor = 0x0000FF;    // red
constexpr uint32_t TempoFace = 0xFFFFFF;
constexpr int MarkerSize = 16;

constexpr int Margin = 8;
constexpr int ButtonSize = 32;
constexpr int StatusBarHeight = 19;
constexpr int VisibleRows = 15;
constexpr QRect TempoRect(168, 8, 62, ButtonSize);
constexpr QRect UpDownRect(232, 8, 17, ButtonSize);
constexpr QPoint BtnPlayAt(262, 15);
constexpr QRect Label1Rect(Margin, 50, 126, 22);
constexpr int ChordLeft = 136;
constexpr int ChordTop = 46;
constexpr int ChordHeight = 28;
constexpr int GridTop = 84;
constexpr int CommentBoxWidth = 460;

constexpr int MinTempo = ui::PatternMinTempo;
constexpr int MaxTempo = ui::PatternMaxTempo;
constexpr int StartTempo = 120;

const QColor Engraving(0xea, 0xdf, 0xc2);
const QColor ButtonMetal(0x3a, 0x3b, 0x41);
const QColor CaseColor(0x1d, 0x1e, 0x21);
const QColor StatusTextColor(0xe4, 0xe4, 0xe4);

// The image buttons from left to right, with their pictures.
struct TButtonPlace {
    const char *name;
    const char *picture;
};

constexpr TButtonPlace Buttons[] = {
    {"BtnOpen", ":/pattern/open.png"},
    {"BtnSave", ":/pattern/save.png"},
    {"BtnSaveMidi", ":/pattern/savemidi.png"},
    {"BtnClear", ":/pattern/clear.png"},
};
constexpr char EndMarkerPicture[] = ":/pattern/end.png";
constexpr char LoopMarkerPicture[] = ":/pattern/loop.png";

// The popup menu in its order; a null name is a separator. Its texts stay
// English in both languages.
struct TMenuPlace {
    const char *name;
    const char *caption;
    const char *shortcut;
    int image; // into ImageList1, -1 for none
};

constexpr TMenuPlace MenuPlaces[] = {
    {"Enterchord1", "Enter chord", "", -1},
    {"Clear1", "Clear", "", -1},
    {"Copy1", "Copy", "Ctrl+C", -1},
    {"Paste1", "Paste", "Ctrl+V", -1},
    {"MnuEnd", "End of pattern", "Ctrl+E", 0},
    {"MnuRepeat", "Loop from beginning", "Ctrl+L", 1},
    {nullptr, nullptr, nullptr, -1},
    {"Insertmeasurebefore", "Insert measure before", "", -1},
    {"Insertmeasureafter", "Insert measure after", "", -1},
    {"Deletemeasure1", "Delete measure", "Ctrl+D", -1},
};

struct TLanguageTexts {
    const char *caption;
    const char *label1;
    const char *play;
    const char *open;
    const char *save;
    const char *saveMidi;
    const char *clear;
};

const TLanguageTexts English = {"Chords pattern", "Chord selected :", "Play",         "Open...",
                                "Save...",        "Export MIDI",      "Clear pattern"};
const TLanguageTexts French = {"Grille d'accords", "Accord selectionné :", "Jouer", "Ouvrir...", "Sauver...",
                               "Export MIDI",      "Effacer la grille"};

QString Text(const char *english, const char *french)
{
    return QString::fromUtf8(model::Language == 1 ? english : french);
}

void SetColor(QWidget *control, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = control->palette();
    palette.setColor(role, color);
    control->setPalette(palette);
}

// The filter as the dialogs write it ("description|pattern|..."), in Qt's form.
QString QtFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        filters << (parts[i].contains(u'(') ? parts[i] : QStringLiteral("%1 (%2)").arg(parts[i], patterns));
    }
    return filters.join(QLatin1String(";;"));
}

TPatternFileDialog::TChooser &Chooser()
{
    static TPatternFileDialog::TChooser chooser;
    return chooser;
}

TFrmPattern::TInputPresenter &InputPresenter()
{
    static TFrmPattern::TInputPresenter presenter;
    return presenter;
}

std::function<QDateTime()> &Clock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

// A write cut short (the disk full, the file too large) reports no reason;
// writing the rest again fails at once and says why.
bool WriteAll(QFileDevice &file, const QByteArray &bytes)
{
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// The system's short date and its time with seconds, without a time zone.
QString NowText()
{
    const QDateTime now = Clock() ? Clock()() : QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return locale.toString(now.date(), QLocale::ShortFormat) + u' ' + locale.toString(now.time(), timeFormat.trimmed());
}

// The measure numbers sit in a fixed column of raised money-green cells; the
// beat cells are white with blue bold chords, and carry the marker pictures.
class TCellDelegate : public QStyledItemDelegate {
public:
    TCellDelegate(const TFrmPattern *form, QObject *parent) : QStyledItemDelegate(parent), FForm(form) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.column() == 0) {
            PaintFixed(painter, option, index);
            return;
        }
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        FForm->GrilleDrawCell(*painter, index.column(), index.row(), option.rect);
        painter->restore();
    }

private:
    static void PaintFixed(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index)
    {
        const QRect r = option.rect;
        painter->save();
        painter->fillRect(r, ColorFromBgr(MoneyGreen));
        painter->setPen(QColor(255, 255, 255, 200));
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.topLeft(), r.bottomLeft());
        painter->setPen(QColor(0, 0, 0, 90));
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->setFont(option.font);
        painter->setPen(ColorFromBgr(CellTextColor));
        painter->drawText(r, Qt::AlignCenter, index.data().toString());
        painter->restore();
    }

    const TFrmPattern *FForm;
};

} // namespace

// ---------------------------------------------------------------------------
// Up-down

TUpDown::TUpDown(QWidget *parent) : QWidget(parent), FUp(new QToolButton(this)), FDown(new QToolButton(this))
{
    setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (auto [button, arrow, direction] : {std::tuple{FUp, Qt::UpArrow, 1}, std::tuple{FDown, Qt::DownArrow, -1}}) {
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, d = direction] { Step(d); });
    }
    FUp->setObjectName("UpArrow");
    FDown->setObjectName("DownArrow");
    // Light arrows on dark metal, like the panel's other controls.
    QPalette metal = palette();
    metal.setColor(QPalette::Button, ButtonMetal);
    metal.setColor(QPalette::ButtonText, Engraving);
    metal.setColor(QPalette::WindowText, Engraving);
    FUp->setPalette(metal);
    FDown->setPalette(metal);
}

void TUpDown::setRange(int min, int max)
{
    FMin = min;
    FMax = max;
    FPosition = std::clamp(FPosition, FMin, FMax);
}

void TUpDown::setPosition(int position)
{
    FPosition = std::clamp(position, FMin, FMax);
}

void TUpDown::Step(int direction)
{
    const int position = std::clamp(FPosition + direction, FMin, FMax);
    if (position == FPosition)
        return;
    FPosition = position;
    emit OnChanging(FPosition);
}

void TUpDown::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up)
        Step(1);
    else if (event->key() == Qt::Key_Down)
        Step(-1);
    else
        QWidget::keyPressEvent(event);
}

void TUpDown::wheelEvent(QWheelEvent *event)
{
    if (event->angleDelta().y() != 0)
        Step(event->angleDelta().y() > 0 ? 1 : -1);
    event->accept();
}

// ---------------------------------------------------------------------------
// Grid

TPatternGrid::TPatternGrid(QWidget *parent) : QTableWidget(parent) {}

QRect TPatternGrid::Selection() const
{
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.isEmpty())
        return QRect(QPoint(currentColumn(), currentRow()), QSize(1, 1));
    // The selection is one rectangle; the fixed column is never part of it.
    QRect rect;
    for (const QTableWidgetSelectionRange &range : ranges)
        rect |= QRect(QPoint(std::max(range.leftColumn(), 1), range.topRow()),
                      QPoint(range.rightColumn(), range.bottomRow()));
    return rect;
}

void TPatternGrid::mousePressEvent(QMouseEvent *event)
{
    // Only the left button moves the selection; a right click opens the
    // menu on the cells already selected.
    if (event->button() == Qt::LeftButton)
        QTableWidget::mousePressEvent(event);
    else
        event->accept();
    emit OnMouseDown(event->button());
}

void TPatternGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        QTableWidget::mouseReleaseEvent(event);
    else
        event->accept();
}

void TPatternGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
    emit doubleClicked(currentIndex());
}

void TPatternGrid::keyReleaseEvent(QKeyEvent *event)
{
    QTableWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit OnKeyUp(event->key());
}

// ---------------------------------------------------------------------------
// File dialogs

bool TPatternFileDialog::Execute(QWidget *parent)
{
    QString chosen;
    if (Chooser()) {
        chosen = Chooser()(Kind);
    } else {
        QFileDialog dialog(parent, QString(), QFileInfo(FileName).path(), QtFilter(Filter));
        dialog.setAcceptMode(Kind == Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(Kind == Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(DefaultExt);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty())
        return false;
    FileName = chosen;
    return true;
}

void TPatternFileDialog::SetChooser(TChooser chooser)
{
    Chooser() = std::move(chooser);
}

// ---------------------------------------------------------------------------
// Creation

namespace {

void SetTexts(TFrmPattern &form, const TLanguageTexts &texts)
{
    form.setWindowTitle(QString::fromUtf8(texts.caption));
    form.Label1->setText(QString::fromUtf8(texts.label1));
    form.BtnPlay->setCaption(QString::fromUtf8(texts.play));
    SetHint(form.BtnOpen, QString::fromUtf8(texts.open));
    SetHint(form.BtnSave, QString::fromUtf8(texts.save));
    SetHint(form.BtnSaveMidi, QString::fromUtf8(texts.saveMidi));
    SetHint(form.BtnClear, QString::fromUtf8(texts.clear));
}

} // namespace

static void InitPatternResources()
{
    static std::once_flag once;
    std::call_once(once, RegisterPatternResources);
}

QStringList PatternPictureNames()
{
    InitPatternResources();
    QStringList names;
    for (const TButtonPlace &place : Buttons)
        names << QString::fromLatin1(place.picture);
    names << QString::fromLatin1(EndMarkerPicture) << QString::fromLatin1(LoopMarkerPicture);
    return names;
}

TFrmPattern::TFrmPattern(TFormMain *mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint), FFormMain(mainWindow)
{
    InitPatternResources();
    InitPanelResources();
    setObjectName("FrmPattern");
    setWindowTitle("Chords pattern");
    setWindowIcon(ProgramIcon());

    CreateComponents();
    CreatePopupMenu();
    StyleComponents();
    ConnectEvents();
    // The editor's own texts, which a language other than English or French
    // leaves in place.
    SetTexts(*this, English);

    ui::InstallHelpKey(this, PatternHelpContext);

    FrmPattern = this;
    FormCreate();
    // The main window's chords reach the Chord label from now on.
    if (FFormMain)
        FFormMain->OnPatternChord = [this](const QString &chord) { Chord->setText(chord); };
}

TFrmPattern::~TFrmPattern()
{
    BtnPlayOff();
    if (FFormMain)
        FFormMain->OnPatternChord = nullptr;
    if (FrmPattern == this) {
        FrmPattern = nullptr;
        model::PatternFormCreated = false;
        PatternCells.clear();
    }
}

void TFrmPattern::CreateComponents()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *panel = new TPanel(this);
    panel->setObjectName("Panel1");
    layout->addWidget(panel, 1);

    int left = Margin;
    for (const TButtonPlace &place : Buttons) {
        auto *button = new TImgBtn(panel);
        button->setObjectName(QString::fromLatin1(place.name));
        button->move(left, Margin);
        left += ButtonSize + 4;
    }
    const auto find = [this]<typename T>(T *&member, const char *name) {
        member = findChild<T *>(QString::fromLatin1(name));
    };
    find(BtnOpen, "BtnOpen");
    find(BtnSave, "BtnSave");
    find(BtnSaveMidi, "BtnSaveMidi");
    find(BtnClear, "BtnClear");

    Tempo = new QLCDNumber(3, panel);
    Tempo->setObjectName("Tempo");
    Tempo->setGeometry(TempoRect);
    UpDown1 = new TUpDown(panel);
    UpDown1->setObjectName("UpDown1");
    UpDown1->setGeometry(UpDownRect);
    BtnPlay = new TImgSwitch(panel);
    BtnPlay->setObjectName("BtnPlay");
    BtnPlay->move(BtnPlayAt);

    Label1 = new QLabel(panel);
    Label1->setObjectName("Label1");
    Label1->setGeometry(Label1Rect);
    Chord = new TDisplayLabel(panel);
    Chord->setObjectName("Chord");

    Grille = new TPatternGrid(panel);
    Grille->setObjectName("Grille");

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    auto *status = new QLabel(QStringLiteral("Measure :"), StatusBar1);
    status->setObjectName("StatusPanel0");
    StatusBar1->addWidget(status, 1);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(StatusBarHeight);
    layout->addWidget(StatusBar1);

    // Ticks keep to the beat grid: a late tick does not push the next ones.
    Metronome = new platform::TPreciseTimer(this);
    Metronome->setObjectName("Metronome");
}

void TFrmPattern::CreatePopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    // The two marker pictures side by side, as the list cuts them.
    QImage strip(2 * MarkerSize, MarkerSize, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    {
        QPainter painter(&strip);
        painter.drawImage(0, 0, ReadPicture(QString::fromLatin1(EndMarkerPicture)));
        painter.drawImage(MarkerSize, 0, ReadPicture(QString::fromLatin1(LoopMarkerPicture)));
    }
    ImageList1 = new TImageList(strip, MarkerSize, this);
    ImageList1->setObjectName("ImageList1");
    for (const TMenuPlace &place : MenuPlaces) {
        if (!place.name) {
            PopupMenu1->addSeparator()->setObjectName("N1");
            continue;
        }
        QAction *action = PopupMenu1->addAction(QString::fromLatin1(place.caption));
        action->setObjectName(QString::fromLatin1(place.name));
        if (*place.shortcut) {
            action->setShortcut(QKeySequence(QString::fromLatin1(place.shortcut)));
            action->setShortcutContext(Qt::WindowShortcut);
            action->setShortcutVisibleInContextMenu(true);
            // The shortcuts work while the menu is closed.
            addAction(action);
        }
        if (place.image >= 0)
            action->setIcon(ImageList1->Icon(place.image));
    }
    const auto find = [this](QAction *&member, const char *name) {
        member = PopupMenu1->findChild<QAction *>(QString::fromLatin1(name));
        if (!member)
            for (QAction *action : PopupMenu1->actions())
                if (action->objectName() == QLatin1String(name))
                    member = action;
    };
    find(Enterchord1, "Enterchord1");
    find(Clear1, "Clear1");
    find(Copy1, "Copy1");
    find(Paste1, "Paste1");
    find(MnuEnd, "MnuEnd");
    find(MnuRepeat, "MnuRepeat");
    find(Insertmeasurebefore, "Insertmeasurebefore");
    find(Insertmeasureafter, "Insertmeasureafter");
    find(Deletemeasure1, "Deletemeasure1");
    Copy1->setEnabled(false);
    Paste1->setEnabled(false);
}

void TFrmPattern::StyleComponents()
{
    for (const TButtonPlace &place : Buttons)
        findChild<TImgBtn *>(QString::fromLatin1(place.name))
            ->setGlyph(ReadPicture(QString::fromLatin1(place.picture)));
    BtnPlay->setGlyphOn(ReadPicture(QString::fromLatin1(PanelSwitchOnPicture)));
    BtnPlay->setGlyphOff(ReadPicture(QString::fromLatin1(PanelSwitchOffPicture)));
    BtnPlay->setFont(VerdanaFont(12, true));
    BtnPlay->setCursor(Qt::PointingHandCursor);

    QWidget *panel = findChild<QWidget *>("Panel1");
    SetColor(panel, QPalette::WindowText, Engraving);
    Label1->setFont(VerdanaFont(11, true));
    Chord->setFont(VerdanaFont(15, true));
    Chord->setTextFormat(Qt::PlainText);
    SetColor(Chord, QPalette::WindowText, ColorFromBgr(CellTextColor));

    // Red segments on a white face, set in a money-green bezel.
    Tempo->setSegmentStyle(QLCDNumber::Flat);
    Tempo->setStyleSheet(
        QStringLiteral("QLCDNumber { background: %1; color: %2; border: 3px solid %3; }")
            .arg(ColorFromBgr(TempoFace).name(), ColorFromBgr(TempoColor).name(), ColorFromBgr(MoneyGreen).name()));
    UpDown1->setRange(MinTempo, MaxTempo);
    UpDown1->setPosition(StartTempo);
    Tempo->display(StartTempo);

    Grille->setColumnCount(ColumnCount);
    Grille->horizontalHeader()->hide();
    Grille->verticalHeader()->hide();
    Grille->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grille->verticalHeader()->setMinimumSectionSize(RowHeight);
    Grille->verticalHeader()->setDefaultSectionSize(RowHeight);
    Grille->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grille->setSelectionMode(QAbstractItemView::ContiguousSelection);
    Grille->setSelectionBehavior(QAbstractItemView::SelectItems);
    Grille->setTabKeyNavigation(false);
    Grille->setWordWrap(false);
    Grille->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Grille->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Grille->setContextMenuPolicy(Qt::CustomContextMenu);
    Grille->setItemDelegate(new TCellDelegate(this, Grille));
    Grille->setFont(VerdanaFont(13, true));
    QPalette cells = Grille->palette();
    cells.setColor(QPalette::Text, ColorFromBgr(CellTextColor));
    cells.setColor(QPalette::Base, Qt::white);
    Grille->setPalette(cells);
    // Scroll-bar arrows take the window text colour, which the panel makes
    // light for its engravings: on the bars' light faces they take the
    // case's dark colour instead.
    for (QScrollBar *bar : {Grille->verticalScrollBar(), Grille->horizontalScrollBar()})
        SetColor(bar, QPalette::WindowText, CaseColor);
    SetHint(Grille, QStringLiteral("Double-click inserts the chord selected"));
    for (int col = 0; col < ColumnCount; ++col)
        Grille->setColumnWidth(col, ColumnWidths[col]);
    SetRowCount(DesignedRows);

    // The grid shows its five columns whole, with room for its scroll bar.
    int gridWidth = 2 * Grille->frameWidth() + Grille->verticalScrollBar()->sizeHint().width();
    for (const int width : ColumnWidths)
        gridWidth += width;
    const int gridHeight = VisibleRows * RowHeight + 2 * Grille->frameWidth();
    Grille->setGeometry(Margin, GridTop, gridWidth, gridHeight);
    const int clientWidth = gridWidth + 2 * Margin;
    Chord->setGeometry(ChordLeft, ChordTop, clientWidth - ChordLeft - Margin, ChordHeight);
    setFixedSize(clientWidth, GridTop + gridHeight + Margin + StatusBarHeight);

    SetColor(StatusBar1, QPalette::Window, CaseColor);
    StatusBar1->setAutoFillBackground(true);
    StatusBar1->setFont(VerdanaFont(11));
    for (QLabel *panelLabel : StatusBar1->findChildren<QLabel *>()) {
        panelLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panelLabel->setIndent(4);
        SetColor(panelLabel, QPalette::WindowText, StatusTextColor);
    }
}

void TFrmPattern::ConnectEvents()
{
    connect(Grille, &QTableWidget::doubleClicked, this, &TFrmPattern::GrilleDblClick);
    connect(Grille, &QTableWidget::currentCellChanged, this, &TFrmPattern::GrilleClick);
    connect(Grille, &TPatternGrid::OnKeyUp, this, &TFrmPattern::GrilleKeyUp);
    connect(Grille, &TPatternGrid::OnMouseDown, this, &TFrmPattern::GrilleMouseDown);
    connect(Grille, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(Grille->viewport()->mapToGlobal(at)); });

    connect(Enterchord1, &QAction::triggered, this, &TFrmPattern::Enterchord1Click);
    connect(Clear1, &QAction::triggered, this, &TFrmPattern::Clear1Click);
    connect(Copy1, &QAction::triggered, this, &TFrmPattern::Copy1Click);
    connect(Paste1, &QAction::triggered, this, &TFrmPattern::Paste1Click);
    connect(MnuEnd, &QAction::triggered, this, &TFrmPattern::MnuEndClick);
    connect(MnuRepeat, &QAction::triggered, this, &TFrmPattern::MnuRepeatClick);
    connect(Insertmeasurebefore, &QAction::triggered, this, &TFrmPattern::InsertmeasurebeforeClick);
    connect(Insertmeasureafter, &QAction::triggered, this, &TFrmPattern::InsertmeasureafterClick);
    connect(Deletemeasure1, &QAction::triggered, this, &TFrmPattern::Deletemeasure1Click);

    connect(BtnOpen, &TImgBtn::OnClick, this, &TFrmPattern::BtnOpenClick);
    connect(BtnSave, &TImgBtn::OnClick, this, &TFrmPattern::BtnSaveClick);
    connect(BtnSaveMidi, &TImgBtn::OnClick, this, &TFrmPattern::BtnSaveMidiClick);
    connect(BtnClear, &TImgBtn::OnClick, this, &TFrmPattern::BtnClearClick);

    connect(UpDown1, &TUpDown::OnChanging, this, &TFrmPattern::UpDown1Changing);
    connect(BtnPlay, &TImgSwitch::OnOn, this, &TFrmPattern::BtnPlayOn);
    connect(BtnPlay, &TImgSwitch::OnOff, this, &TFrmPattern::BtnPlayOff);
    connect(Metronome, &platform::TPreciseTimer::timeout, this, &TFrmPattern::MetronomeTimer);
}

void TFrmPattern::FormCreate()
{
    model::PatternFormCreated = true;
    ApplyLanguage();
    Chord->setText(model::Notation ? QStringLiteral("C") : QStringLiteral("DO"));
    EndMarkerCol = ColumnCount;
    EndMarkerRow = RowCount();
    for (int col = 0; col < ColumnCount; ++col)
        Grille->setColumnWidth(col, ColumnWidths[col]);
    PatternCells.assign(ColumnCount, std::vector<TPatternCell>(std::size_t(RowCount() + 1)));
    FBeatsPerMinute = UpDown1->Position();
    Metronome->setInterval(60000 / FBeatsPerMinute);
    // The first beat cell is selected, as a grid starts.
    Grille->setCurrentCell(0, 1);
    StatusBar1->findChild<QLabel *>("StatusPanel0")->setText(QStringLiteral("Measure 1/1"));
    FPlayCol = 1;
    FPlayRow = 0;
}

void TFrmPattern::ApplyLanguage()
{
    if (model::Language != 1 && model::Language != 2)
        return;
    SetTexts(*this, model::Language == 1 ? English : French);
}

void TFrmPattern::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    CenterOnMainWindow();
}

void TFrmPattern::CenterOnMainWindow()
{
    if (!FFormMain)
        return;
    const QRect frame = FFormMain->frameGeometry();
    move(frame.center() - QPoint(width() / 2, height() / 2));
}

bool TFrmPattern::event(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate)
        FormDeactivate();
    return QWidget::event(event);
}

// ---------------------------------------------------------------------------
// Grid state

int TFrmPattern::RowCount() const
{
    return Grille->rowCount();
}

int TFrmPattern::ColCount() const
{
    return Grille->columnCount();
}

QString TFrmPattern::CellText(int col, int row) const
{
    const QTableWidgetItem *item = Grille->item(row, col);
    return item ? item->text() : QString();
}

QString TFrmPattern::StatusText() const
{
    return StatusBar1->findChild<QLabel *>("StatusPanel0")->text();
}

void TFrmPattern::SetCell(int col, int row, const QString &text, const TPatternCell &cell)
{
    QTableWidgetItem *item = Grille->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Grille->setItem(row, col, item);
    }
    item->setText(text);
    PatternCells[std::size_t(col)][std::size_t(row)] = cell;
}

void TFrmPattern::MoveCell(int col, int fromRow, int toRow)
{
    SetCell(col, toRow, CellText(col, fromRow), PatternCells[std::size_t(col)][std::size_t(fromRow)]);
}

void TFrmPattern::SetRowCount(int rows)
{
    const int old = Grille->rowCount();
    // Selecting the cell again keeps it in the grid when rows go.
    const int col = Grille->currentColumn();
    const int row = Grille->currentRow();
    Grille->setRowCount(rows);
    for (int r = old; r < rows; ++r) {
        auto *number = new QTableWidgetItem(QString::number(r + 1));
        // The measure numbers can be neither selected nor entered.
        number->setFlags(Qt::NoItemFlags);
        Grille->setItem(r, 0, number);
    }
    for (auto &column : PatternCells)
        column.resize(std::size_t(rows));
    if (row >= rows && col >= 1)
        Grille->setCurrentCell(rows - 1, col);
}

void TFrmPattern::SelectCell(int col, int row)
{
    Grille->setCurrentCell(row, col, QItemSelectionModel::ClearAndSelect);
}

void TFrmPattern::ShowMeasure()
{
    StatusBar1->findChild<QLabel *>("StatusPanel0")
        ->setText(QStringLiteral("Measure %1/%2").arg(Grille->currentRow() + 1).arg(Grille->currentColumn()));
}

void TFrmPattern::ShowMessage(const QString &text)
{
    ui::MessageDlg(this, ui::TMsgDlgType::Information, text);
}

void TFrmPattern::ShowError(const QString &text)
{
    ui::MessageDlg(this, ui::TMsgDlgType::Error, text);
}

// ---------------------------------------------------------------------------
// Editing

void TFrmPattern::GrilleDblClick()
{
    Enterchord1Click();
}

void TFrmPattern::Enterchord1Click()
{
    const int col = Grille->currentColumn();
    const int row = Grille->currentRow();
    if (col < 1 || row < 0)
        return;
    SetCell(col, row, Chord->text(), {model::CurrentRoot, model::CurrentChord, model::CurrentInversion});
    GrilleClick();
}

void TFrmPattern::Clear1Click()
{
    const int col = Grille->currentColumn();
    const int row = Grille->currentRow();
    if (col < 1 || row < 0)
        return;
    SetCell(col, row, QString(), {});
    GrilleClick();
}

void TFrmPattern::ClearSelection()
{
    const QRect selection = Grille->Selection();
    for (int col = std::max(selection.left(), 1); col <= selection.right(); ++col)
        for (int row = selection.top(); row <= selection.bottom(); ++row)
            SetCell(col, row, QString(), {});
    GrilleClick();
}

void TFrmPattern::Copy1Click()
{
    FCopyRect = Grille->Selection();
    Paste1->setEnabled(true);
}

void TFrmPattern::Paste1Click()
{
    const int col = Grille->currentColumn();
    const int row = Grille->currentRow();
    if (col < 1 || row < 0 || FCopyRect.isNull())
        return;
    // The source cells are read as they stand at each step: a paste over its
    // own source repeats what it already wrote.
    for (int c = FCopyRect.left(); c <= FCopyRect.right(); ++c) {
        for (int r = FCopyRect.top(); r <= FCopyRect.bottom(); ++r) {
            const int toCol = col + c - FCopyRect.left();
            const int toRow = row + r - FCopyRect.top();
            if (toRow > RowCount() - 1 || toCol > ColCount() - 1 || r > RowCount() - 1)
                continue;
            SetCell(toCol, toRow, CellText(c, r), PatternCells[std::size_t(c)][std::size_t(r)]);
        }
    }
    GrilleClick();
}

void TFrmPattern::MnuEndClick()
{
    EndMarkerCol = Grille->currentColumn();
    EndMarkerRow = Grille->currentRow();
    LoopMarkerCol = LoopMarkerRow = -1;
    Grille->viewport()->update();
}

void TFrmPattern::MnuRepeatClick()
{
    LoopMarkerCol = Grille->currentColumn();
    LoopMarkerRow = Grille->currentRow();
    EndMarkerCol = EndMarkerRow = -1;
    Grille->viewport()->update();
}

void TFrmPattern::InsertmeasurebeforeClick()
{
    InsertMeasure(0);
}

void TFrmPattern::InsertmeasureafterClick()
{
    InsertMeasure(1);
}

// An empty measure at the current row (offset 0) or just below it (offset
// 1); the selection keeps its row and column.
void TFrmPattern::InsertMeasure(int offset)
{
    const int row = Grille->currentRow();
    if (row < 0)
        return;
    if (RowCount() >= ui::PatternMaxMeasures) {
        ui::MessageDlg(this, ui::TMsgDlgType::Warning,
                       Text("The pattern already has 999 measures, the most a pattern file can hold.",
                            "La grille a déjà 999 mesures, le plus qu'un fichier de grille puisse contenir."));
        return;
    }
    const int col = Grille->currentColumn();
    const int at = row + offset;
    const int oldLast = RowCount() - 1;
    SetRowCount(RowCount() + 1);
    for (int r = oldLast; r >= at; --r)
        for (int c = 1; c < ColCount(); ++c)
            MoveCell(c, r, r + 1);
    for (int c = 1; c < ColCount(); ++c)
        SetCell(c, at, QString(), {});
    SelectCell(col, row);
    GrilleClick();
}

void TFrmPattern::Deletemeasure1Click()
{
    const int row = Grille->currentRow();
    if (row < 0)
        return;
    // The row's data goes with its texts, also when it is the only row left.
    for (int c = 1; c < ColCount(); ++c)
        SetCell(c, row, QString(), {});
    for (int r = row; r < RowCount() - 1; ++r)
        for (int c = 1; c < ColCount(); ++c)
            MoveCell(c, r + 1, r);
    if (RowCount() > 1)
        SetRowCount(RowCount() - 1);
    GrilleClick();
}

void TFrmPattern::GrilleKeyUp(int key)
{
    if (key == Qt::Key_Delete)
        ClearSelection();
    ShowMeasure();
}

void TFrmPattern::GrilleClick()
{
    Copy1->setEnabled(!CellText(Grille->currentColumn(), Grille->currentRow()).isEmpty());
    ShowMeasure();
}

void TFrmPattern::BtnClearClick()
{
    if (!ui::ConfirmDlg(this, QStringLiteral("You are going to clear the pattern. Proceed ?")))
        return;
    for (int row = 0; row < RowCount(); ++row)
        for (int col = 1; col < ColCount(); ++col)
            SetCell(col, row, QString(), {});
    SelectCell(1, 0);
    GrilleClick();
}

void TFrmPattern::BtnSaveMidiClick()
{
    ShowMessage(model::Language == 1 ? QStringLiteral("Soon...") : QStringLiteral("Bientôt..."));
}

void TFrmPattern::GrilleDrawCell(QPainter &painter, int col, int row, const QRect &rect) const
{
    const QPoint at(rect.right() + 1 - MarkerSize, rect.top() + 3);
    if (col == EndMarkerCol && row == EndMarkerRow)
        painter.drawImage(at, ImageList1->Picture(0));
    if (col == LoopMarkerCol && row == LoopMarkerRow)
        painter.drawImage(at, ImageList1->Picture(1));
}

// ---------------------------------------------------------------------------
// The pattern file

void TFrmPattern::SetInputPresenter(TInputPresenter presenter)
{
    InputPresenter() = std::move(presenter);
}

void TFrmPattern::SetClockForTest(std::function<QDateTime()> clock)
{
    Clock() = std::move(clock);
}

QString TFrmPattern::InputComment()
{
    const bool french = model::Language == 2;
    const QString caption = french ? QStringLiteral("Sauver la grille") : QStringLiteral("Save pattern");
    const QString prompt =
        french ? QStringLiteral("Commentaire : (250 car. maxi) ") : QStringLiteral("Comment : (250 char max) ");
    const QString text =
        (french ? QStringLiteral("Grille crée le ") : QStringLiteral("Pattern created on ")) + NowText();
    std::optional<QString> answer;
    if (InputPresenter()) {
        answer = InputPresenter()(caption, prompt, text);
    } else {
        // Wide enough to read a comment of some length while typing it.
        QInputDialog box(this);
        box.setWindowTitle(caption);
        box.setLabelText(prompt);
        box.setTextValue(text);
        if (auto *edit = box.findChild<QLineEdit *>())
            edit->setMinimumWidth(CommentBoxWidth);
        if (box.exec() == QDialog::Accepted)
            answer = box.textValue();
    }
    // A cancelled box keeps the default text.
    return answer.value_or(text);
}

ui::TPatternFileContents TFrmPattern::Contents() const
{
    ui::TPatternFileContents contents;
    contents.Comment = FComment;
    contents.HeaderValue = FHeaderValue;
    if (EndMarkerCol >= 0) {
        contents.LoopMarker = false;
        contents.MarkerCol = EndMarkerCol;
        contents.MarkerRow = EndMarkerRow;
    } else {
        contents.LoopMarker = true;
        contents.MarkerCol = LoopMarkerCol;
        contents.MarkerRow = LoopMarkerRow;
    }
    contents.Tempo = FBeatsPerMinute;
    for (int row = 0; row < RowCount(); ++row)
        for (int col = 1; col < ColCount(); ++col)
            if (!CellText(col, row).isEmpty())
                contents.Cells.push_back({col, row + 1, PatternCells[std::size_t(col)][std::size_t(row)]});
    return contents;
}

void TFrmPattern::BtnSaveClick()
{
    FComment = InputComment();
    if (!SaveDialog1.Execute(this))
        return;
    SaveToFile(SaveDialog1.FileName);
}

bool TFrmPattern::SaveToFile(const QString &fileName)
{
    // Written beside the old file and put in its place only when whole.
    QSaveFile file(fileName);
    const QByteArray bytes = ui::WritePatternFile(Contents());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !WriteAll(file, bytes) || !file.commit()) {
        ShowError(Text("Cannot save \"%1\": %2", "Impossible d'enregistrer « %1 » : %2")
                      .arg(QDir::toNativeSeparators(fileName), file.errorString()));
        return false;
    }
    setWindowTitle(QFileInfo(fileName).fileName());
    return true;
}

void TFrmPattern::BtnOpenClick()
{
    if (!OpenDialog1.Execute(this)) {
        Grille->viewport()->update();
        return;
    }
    OpenFile(OpenDialog1.FileName);
}

bool TFrmPattern::OpenFile(const QString &fileName)
{
    const auto refuse = [&](const QString &reason) {
        ShowError(Text("Cannot open \"%1\": %2", "Impossible d'ouvrir « %1 » : %2")
                      .arg(QDir::toNativeSeparators(fileName), reason));
        return false;
    };
    QString error;
    const std::optional<QByteArray> bytes = ui::ReadPatternBytes(fileName, model::Language, &error);
    if (!bytes)
        return refuse(error);
    const std::optional<ui::TPatternFileContents> contents = ui::ReadPatternFile(*bytes, model::Language, &error);
    if (!contents)
        return refuse(error);

    if (!contents->Comment.isEmpty())
        ShowMessage(contents->Comment);
    FHeaderValue = contents->HeaderValue;
    if (!contents->LoopMarker) {
        EndMarkerCol = contents->MarkerCol;
        EndMarkerRow = contents->MarkerRow;
        LoopMarkerCol = LoopMarkerRow = -1;
    } else {
        LoopMarkerCol = contents->MarkerCol;
        LoopMarkerRow = contents->MarkerRow;
        EndMarkerCol = EndMarkerRow = -1;
    }
    UpDown1->setPosition(contents->Tempo);
    UpDown1Changing(UpDown1->Position());

    int lastMeasure = 0;
    for (const ui::TPatternCellRecord &record : contents->Cells) {
        if (RowCount() < record.Measure)
            SetRowCount(record.Measure);
        SetCell(record.Column, record.Measure - 1,
                ui::PatternCellText(record.Cell, model::NoteNames, model::ChordTable), record.Cell);
        // The file's cells all stay, in whatever order it lists them.
        lastMeasure = std::max(lastMeasure, record.Measure);
    }
    SetRowCount(std::max(lastMeasure, DesignedRows));

    setWindowTitle(QFileInfo(fileName).fileName());
    SelectCell(1, 0);
    StatusBar1->findChild<QLabel *>("StatusPanel0")->setText(QStringLiteral("Measure 1/1"));
    Grille->viewport()->update();
    return true;
}

// ---------------------------------------------------------------------------
// Playback

void TFrmPattern::ShowTempo(int position)
{
    Tempo->display(position);
}

void TFrmPattern::UpDown1Changing(int position)
{
    ShowTempo(position);
    FBeatsPerMinute = position;
    // A running metronome plays its next beat one new interval after the
    // last one: a tempo held on its arrow changes it many times a beat.
    Metronome->setInterval(60000 / FBeatsPerMinute);
}

void TFrmPattern::BtnPlayOn()
{
    Metronome->setInterval(60000 / std::max(Tempo->intValue(), 1));
    Metronome->start();
    PlanNextBeat();
    // Whatever an event changed is planned anew once it has been handled: as
    // the event loop goes to sleep, or wakes for the next pass.
    if (!FReplanning.front()) {
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        FReplanning = {connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TFrmPattern::PlanNextBeat),
                       connect(dispatcher, &QAbstractEventDispatcher::awake, this, &TFrmPattern::PlanNextBeat)};
    }
}

void TFrmPattern::BtnPlayOff()
{
    Metronome->stop();
    for (QMetaObject::Connection &connection : FReplanning)
        disconnect(std::exchange(connection, {}));
    CancelPlannedPlayback(FNextBeat);
}

void TFrmPattern::FormDeactivate()
{
    BtnPlay->setStateOn(false);
}

void TFrmPattern::GrilleMouseDown()
{
    FPlayCol = Grille->currentColumn();
    FPlayRow = Grille->currentRow();
}

std::pair<int, int> TFrmPattern::NextBeatCell() const
{
    if (FPlayRow < 0 || FPlayRow >= RowCount() || FPlayCol < 1 || FPlayCol >= ColCount())
        return {1, 0};
    return {FPlayCol, FPlayRow};
}

void TFrmPattern::PlanNextBeat()
{
    // A plan whose beat has begun belongs to that beat's step.
    if (PlannedPlaybackStarted(FNextBeat))
        return;
    const auto [col, row] = NextBeatCell();
    const TPatternCell cell = PatternCells[std::size_t(col)][std::size_t(row)];
    // As the step plays: without a playback mode a block chord all the same.
    bool atOnce = true;
    QString direction;
    const bool heard = Metronome->isActive() && FFormMain && cell.Root != 0 && cell.ChordIndex != 0 &&
                       (model::ListenType == -1 || TFormMain::CurrentManner(atOnce, direction));
    if (!heard) {
        CancelPlannedPlayback(FNextBeat);
        return;
    }
    try {
        FFormMain->PlanPlayback(FNextBeat, FFormMain->ChordNotesOf(cell.Root, cell.ChordIndex, cell.Inversion), atOnce,
                                direction, Metronome->nextTick());
    } catch (const std::exception &) {
        // A cell the main window's lists cannot show: its step tells.
        CancelPlannedPlayback(FNextBeat);
    }
}

void TFrmPattern::PlayBeat(const std::shared_ptr<TPlayback> &planned)
{
    const TPlannedPlaybackExpected expected(planned);
    const TPatternCell cell = PatternCells[std::size_t(FPlayCol)][std::size_t(FPlayRow)];
    PatternRoot = cell.Root;
    PatternChord = cell.ChordIndex;
    PatternInversion = cell.Inversion;
    if (FFormMain && PatternRoot != 0) {
        FFormMain->ChordRoot->setItemIndex(PatternRoot - 1);
        FFormMain->ChordName->setItemIndex(PatternChord - 1);
    }
    if (FFormMain && PatternRoot != 0 && PatternChord != 0) {
        // Without a playback mode the cell still sounds, as a block chord:
        // the playback runs once this tick is over, on the notes shown below.
        if (model::ListenType == -1)
            FFormMain->StartPlayback(true, QString());
        switch (PatternInversion) {
        case -1:
            FFormMain->RenversementDown->setStateOn(true);
            break;
        case 0:
            FFormMain->RenversementDown->setStateOn(false);
            FFormMain->RenversementUp->setStateOn(false);
            break;
        case 1:
            FFormMain->RenversementUp->setStateOn(true);
            break;
        default:
            break;
        }
        FFormMain->ShowChord(PatternRoot, PatternChord, PatternInversion);
    }
}

void TFrmPattern::MetronomeTimer()
{
    ShowMeasure();
    // A position left behind by deleted measures starts again at the top.
    std::tie(FPlayCol, FPlayRow) = NextBeatCell();
    SelectCell(FPlayCol, FPlayRow);
    // This beat's playback, planned a beat ago, may have gone out on the
    // beat already: the step's playback goes on from it.
    std::shared_ptr<TPlayback> beat = std::exchange(FNextBeat, nullptr);
    PlayBeat(beat);
    CancelPlannedPlayback(beat);

    if (FPlayCol == EndMarkerCol && FPlayRow == EndMarkerRow) {
        BtnPlay->setStateOn(false);
    } else if (FPlayCol == LoopMarkerCol && FPlayRow == LoopMarkerRow) {
        FPlayCol = 1;
        FPlayRow = 0;
    } else if (FPlayCol < ColCount() - 1) {
        ++FPlayCol;
    } else {
        FPlayCol = 1;
        FPlayRow = FPlayRow >= RowCount() - 1 ? 0 : FPlayRow + 1;
    }
    PlanNextBeat();
}
