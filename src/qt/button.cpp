// sheenwork::qt::Button: the widget's events handed to its site, and its properties as
// the control's own accessors (each runs the control's steps; what they draw is shown).
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/qt/button.h>
#include <sheenwork/vb/color.h>
#include <sheenwork/vb/error.h>

#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "qt/host.h"
#include "qt/translate.h"

namespace sheenwork::qt {
namespace {

// A button's size when nothing else asks for one: an XP dialog button, in control pixels.
constexpr int kHintWidth = 90, kHintHeight = 26;

constexpr const char* kFontNames[] = {"Font", "FontOnMouseOver", "FontDown"};

}  // namespace

Button::Button(QWidget* parent) : QWidget(parent) {
    // The focus comes by Tab, and by a press only when the control takes it (a right
    // press does not).
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
    host_ = std::make_unique<Host>(*this);
    host_->Start();
    host_->JoinWindow();
    connect(this, &QObject::objectNameChanged, this,
            [this](const QString& name) { host_->NameChanged(name); });
}

// The window forgets the button before the widget goes (its focus leaves as it goes, and
// the window asks its buttons then).
Button::~Button() {
    host_->LeaveWindow();
    host_.reset();
}

QSize Button::sizeHint() const {
    const double ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(ToLogical(kHintWidth, ratio))),
            static_cast<int>(std::lround(ToLogical(kHintHeight, ratio)))};
}

std::shared_ptr<sheenButton> Button::Native() const { return host_->NativeRef(); }
std::shared_ptr<runtime::Object> Button::Instance() const { return host_->Instance(); }

// ---- events ----

bool Button::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ParentChange:
        case QEvent::Show:
            // The window lists the button, and takes Enter and Escape for its default and
            // cancel buttons.
            host_->JoinWindow();
            FormState::Of(window()).Update();
            break;
        default: break;
    }
    return QWidget::event(event);
}

void Button::paintEvent(QPaintEvent*) { host_->Paint(*this); }

void Button::resizeEvent(QResizeEvent*) { host_->SyncSize(); }

void Button::mousePressEvent(QMouseEvent* event) {
    host_->Mouse(0, ButtonOf(event->button()), ButtonOf(event->buttons()), event->position());
}

void Button::mouseMoveEvent(QMouseEvent* event) {
    host_->Mouse(1, 0, ButtonOf(event->buttons()), event->position());
}

void Button::mouseReleaseEvent(QMouseEvent* event) {
    host_->Mouse(2, ButtonOf(event->button()), ButtonOf(event->buttons()), event->position());
}

void Button::keyPressEvent(QKeyEvent* event) {
    if (!host_->KeyPressed(event->key(), event->nativeVirtualKey(), event->text(),
                           event->modifiers()))
        event->ignore();
}

void Button::keyReleaseEvent(QKeyEvent* event) {
    // A held key repeats its KeyDown only.
    if (event->isAutoRepeat()) return;
    host_->KeyReleased(event->key(), event->nativeVirtualKey());
}

// A popup (a menu the drop-down section opened) takes the keyboard for a while; the
// button keeps its focus look meanwhile, as on the platform the control comes from.
void Button::focusInEvent(QFocusEvent* event) {
    if (event->reason() != Qt::PopupFocusReason) host_->FocusIn();
}

void Button::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::PopupFocusReason) host_->FocusOut();
}

void Button::leaveEvent(QEvent*) { host_->Leave(); }

void Button::timerEvent(QTimerEvent* event) { host_->Timer(event->timerId()); }

void Button::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) host_->EnabledChanged();
    QWidget::changeEvent(event);
}

void Button::dragEnterEvent(QDragEnterEvent* event) {
    vb::Long effect = 0;
    host_->Drag(0, event->mimeData(), event->proposedAction(), event->buttons(), event->position(),
                effect);
    if (effect == 0) return event->ignore();
    event->setDropAction(effect & 2 ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void Button::dragMoveEvent(QDragMoveEvent* event) {
    vb::Long effect = 0;
    host_->Drag(1, event->mimeData(), event->proposedAction(), event->buttons(), event->position(),
                effect);
    if (effect == 0) return event->ignore();
    event->setDropAction(effect & 2 ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void Button::dragLeaveEvent(QDragLeaveEvent*) {
    vb::Long effect = 0;
    host_->Drag(2, nullptr, Qt::IgnoreAction, Qt::NoButton, {}, effect);
}

void Button::dropEvent(QDropEvent* event) {
    vb::Long effect = 0;
    host_->Drag(3, event->mimeData(), event->proposedAction(), event->buttons(), event->position(),
                effect);
    if (effect == 0) return event->ignore();
    event->setDropAction(effect & 2 ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

// ---- properties ----

namespace {

// Integers of the control are 16 bits: a value beyond them changes nothing.
bool FitsInteger(int v, const char* property) {
    if (v >= std::numeric_limits<vb::Integer>::min() &&
        v <= std::numeric_limits<vb::Integer>::max())
        return true;
    qWarning("sheenwork::qt::Button: %s: %d is out of range (-32768 to 32767)", property, v);
    return false;
}

}  // namespace

// The accessor pairs, by the kind of value. Each setter runs the control's own accessor
// through the site, which shows what it drew.
#define SHEENWORK_BOOL(Name)                                                        \
    bool Button::Name() const { return static_cast<bool>(host_->Native().Name()); } \
    void Button::set##Name(bool v) {                                                \
        host_->Call([&] { host_->Native().Name(vb::Boolean(v)); });                 \
    }
#define SHEENWORK_COLOR(Name)                                               \
    QColor Button::Name() const { return ColorOf(host_->Native().Name()); } \
    void Button::set##Name(const QColor& v) {                               \
        host_->Call([&] { host_->Native().Name(OleColorOf(v)); });          \
    }
#define SHEENWORK_STRING(Name)                                                \
    QString Button::Name() const { return FromUtf8(host_->Native().Name()); } \
    void Button::set##Name(const QString& v) {                                \
        host_->Call([&] { host_->Native().Name(Utf8(v)); });                  \
    }
#define SHEENWORK_SINGLE(Name)                                                  \
    double Button::Name() const { return host_->Native().Name(); }              \
    void Button::set##Name(double v) {                                          \
        host_->Call([&] { host_->Native().Name(static_cast<vb::Single>(v)); }); \
    }
#define SHEENWORK_ENUM(Enum, Name)                                                          \
    Button::Enum Button::Name() const { return static_cast<Enum>(host_->Native().Name()); } \
    void Button::set##Name(int v) {                                                         \
        host_->Call([&] { host_->Native().Name(static_cast<vb::Long>(v)); });               \
    }
#define SHEENWORK_INTEGER(Name)                                                      \
    int Button::Name() const { return host_->Native().Name(); }                      \
    void Button::set##Name(int v) {                                                  \
        if (FitsInteger(v, #Name))                                                   \
            host_->Call([&] { host_->Native().Name(static_cast<vb::Integer>(v)); }); \
    }
#define SHEENWORK_FONT(Name)                                              \
    QFont Button::Name() const {                                          \
        const host::FontRef f = host_->Native().Name();                   \
        return f ? QFontOf(*f) : QFont();                                 \
    }                                                                     \
    void Button::set##Name(const QFont& v) {                              \
        if (const auto font = FontFrom(v, host_->Native().Name(), #Name)) \
            host_->Call([&] { host_->Native().Name(font); });             \
    }
#define SHEENWORK_PICTURE(Name)                                                            \
    QString Button::Name() const { return PathOf(host_->paths_, host_->Native().Name()); } \
    void Button::set##Name(const QString& path) {                                          \
        if (const auto picture = Load(path, #Name)) {                                      \
            host_->Call([&] { host_->Native().Name(picture); });                           \
            host_->paths_[#Name] = {path, picture};                                        \
        }                                                                                  \
    }

namespace {

// The path a picture was set from; one loaded elsewhere (a form file) by its file.
QString PathOf(const std::map<std::string, std::pair<QString, host::PictureRef>>& paths,
               const host::PictureRef& picture) {
    if (!picture) return {};
    for (const auto& [key, given] : paths)
        if (given.second == picture) return given.first;
    return FromUtf8(picture->SourceFile());
}

// A QFont as a control font keeping the current one's character set, or null after a
// warning for one the control cannot hold (a size beyond its 2160 points).
host::FontRef FontFrom(const QFont& font, const host::FontRef& current, const char* property) {
    try {
        return std::make_shared<vb::StdFont>(StdFontOf(font, current ? current->Charset() : 0));
    } catch (const vb::RuntimeError& e) {
        qWarning("sheenwork::qt::Button: %s: %s", property, e.what());
        return nullptr;
    }
}

// The picture at `path` ("" gives the empty picture), or null after a warning.
host::PictureRef Load(const QString& path, const char* property) {
    try {
        return picture::LoadPicture(Utf8(path));
    } catch (const vb::RuntimeError& e) {
        qWarning("sheenwork::qt::Button: %s: %s", property, e.what());
        return nullptr;
    }
}

}  // namespace

SHEENWORK_ENUM(Alignment, CaptionAlign)
SHEENWORK_STRING(Caption)
SHEENWORK_SINGLE(CaptionLeft)
SHEENWORK_SINGLE(CaptionTop)
bool Button::Enabled() const { return static_cast<bool>(host_->Native().Enabled()); }
SHEENWORK_BOOL(DropDown)
SHEENWORK_COLOR(DropDownColor)
SHEENWORK_INTEGER(DropDownSize)
SHEENWORK_ENUM(DropDownAlignment, DropDownAlign)
SHEENWORK_COLOR(DropDownSeparatorColor)
SHEENWORK_BOOL(DropDownSeparator)
SHEENWORK_FONT(Font)
SHEENWORK_COLOR(ForeColor)
SHEENWORK_COLOR(ForeColorOver)
SHEENWORK_COLOR(ForeColorDown)
SHEENWORK_FONT(FontOnMouseOver)
SHEENWORK_PICTURE(MouseIcon)
SHEENWORK_ENUM(Pointer, MousePointer)
SHEENWORK_ENUM(Alignment, PictureAlign)
SHEENWORK_PICTURE(Picture)
SHEENWORK_PICTURE(PictureDown)
SHEENWORK_PICTURE(PictureDis)
SHEENWORK_PICTURE(PictureOver)
SHEENWORK_BOOL(PictureShow)
SHEENWORK_SINGLE(PictureTop)
SHEENWORK_SINGLE(PictureLeft)
SHEENWORK_SINGLE(PictureWidth)
SHEENWORK_SINGLE(PictureHeight)
SHEENWORK_STRING(URL)
SHEENWORK_STRING(UrlParam)
SHEENWORK_STRING(Wave)
SHEENWORK_BOOL(RealPicSize)
SHEENWORK_BOOL(RightToLeft)
SHEENWORK_INTEGER(OLEDropMode)
SHEENWORK_BOOL(PictureInFront)
int Button::hwnd() const { return host_->Native().hwnd(); }
SHEENWORK_STRING(VeloToolTip)
SHEENWORK_INTEGER(VeloToolTipDelay)
SHEENWORK_BOOL(UseVeloToolTip)
SHEENWORK_BOOL(AutoXPMouseIcons)
SHEENWORK_COLOR(BackColor)
SHEENWORK_COLOR(BackColorOver)
SHEENWORK_COLOR(BackColorDown)
SHEENWORK_COLOR(BackColorDis)
SHEENWORK_ENUM(ColorStyles, ColorStyle)
SHEENWORK_COLOR(CornerColor)
SHEENWORK_COLOR(ForeColorDis)
SHEENWORK_BOOL(MoveCaptionAtDown)
SHEENWORK_ENUM(ButtonStyles, ButtonStyle)
SHEENWORK_FONT(FontDown)
SHEENWORK_BOOL(OfficeBorderOnMouseOut)
SHEENWORK_COLOR(OfficeBorder)
SHEENWORK_COLOR(OfficeBorderDown)
SHEENWORK_COLOR(OfficeBackColor)
SHEENWORK_COLOR(OfficeBackColorDown)
SHEENWORK_COLOR(BorderColor)
SHEENWORK_ENUM(ButtonRect, FocusRect)
SHEENWORK_ENUM(ButtonRect, HoverRect)
SHEENWORK_COLOR(FocusRectColor)
SHEENWORK_COLOR(HoverRectColor)
SHEENWORK_BOOL(Value)
SHEENWORK_COLOR(MaskColor)
SHEENWORK_BOOL(UseMaskColor)
SHEENWORK_BOOL(AutoColorStyle)
SHEENWORK_BOOL(AllPicturesSame)

#undef SHEENWORK_BOOL
#undef SHEENWORK_COLOR
#undef SHEENWORK_STRING
#undef SHEENWORK_SINGLE
#undef SHEENWORK_ENUM
#undef SHEENWORK_INTEGER
#undef SHEENWORK_FONT
#undef SHEENWORK_PICTURE

bool Button::Default() const { return host_->default_; }

void Button::setDefault(bool value) {
    // One default button a window: making this one the default unmakes the other.
    host_->JoinWindow();
    if (value)
        for (Button* b : FormState::Of(window()).Buttons())
            if (b != this) b->host_->default_ = false;
    host_->default_ = value;
    FormState::Of(window()).Update();
}

bool Button::Cancel() const { return host_->cancel_; }

void Button::setCancel(bool value) {
    host_->JoinWindow();
    if (value)
        for (Button* b : FormState::Of(window()).Buttons())
            if (b != this) b->host_->cancel_ = false;
    host_->cancel_ = value;
}

QString Button::ExactFonts() const {
    QStringList parts;
    const sheenButton& b = host_->Native();
    const host::FontRef fonts[] = {b.Font(), b.FontOnMouseOver(), b.FontDown()};
    for (std::size_t i = 0; i < std::size(fonts); ++i) {
        if (!fonts[i]) continue;
        parts << QStringLiteral("%1=%2,%3,%4")
                     .arg(QLatin1String(kFontNames[i]))
                     .arg(fonts[i]->Size(), 0, 'g', 10)
                     .arg(fonts[i]->Weight())
                     .arg(fonts[i]->Charset());
    }
    return parts.join(QLatin1Char(';'));
}

void Button::setExactFonts(const QString& value) {
    sheenButton& b = host_->Native();
    for (const QString& part : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = part.section(QLatin1Char('='), 0, 0).trimmed();
        const QStringList fields = part.section(QLatin1Char('='), 1).split(QLatin1Char(','));
        bool ok_size = false, ok_weight = false, ok_charset = false;
        const double size = fields.value(0).toDouble(&ok_size);
        const int weight = fields.value(1).toInt(&ok_weight);
        const int charset = fields.value(2).toInt(&ok_charset);
        const int index = static_cast<int>(
            std::find(std::begin(kFontNames), std::end(kFontNames), name.toStdString()) -
            std::begin(kFontNames));
        if (!ok_size || !ok_weight || !ok_charset || index >= 3 || size <= 0 || weight < 0 ||
            weight > 1000 || charset < -32768 || charset > 32767) {
            qWarning("sheenwork::qt::Button: ExactFonts: cannot use \"%s\"", qUtf8Printable(part));
            continue;
        }
        const host::FontRef current = index == 0   ? b.Font()
                                      : index == 1 ? b.FontOnMouseOver()
                                                   : b.FontDown();
        // A font changed since the parts were written keeps its change.
        if (!current || std::lround(current->Size()) != std::lround(size) ||
            (current->Weight() > 550) != (weight > 550))
            continue;
        auto font = current->Clone();
        font->Size(size);
        font->Weight(static_cast<std::int16_t>(weight));
        font->Charset(static_cast<std::int16_t>(charset));
        host_->Call([&] {
            if (index == 0)
                b.Font(font);
            else if (index == 1)
                b.FontOnMouseOver(font);
            else
                b.FontDown(font);
        });
    }
}

QColor Button::SystemColor(int index) { return ColorOf(0x80000000u | (index & 0xFF)); }
QColor Button::FromOleColor(quint32 value) { return ColorOf(value); }
quint32 Button::ToOleColor(const QColor& color) { return OleColorOf(color); }

QColor Button::Displayed(const QColor& color) {
    try {
        const std::uint32_t rgb = vb::TranslateColor(OleColorOf(color));
        return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                      static_cast<int>((rgb >> 16) & 0xFF));
    } catch (const vb::RuntimeError&) {
        return {};  // no colour a screen can show
    }
}

void Button::setDesignMode(bool on) {
    if (host_->design_mode_ == on) return;
    host_->design_mode_ = on;
    host_->AmbientChanged("UserMode");
}

bool Button::designMode() const { return host_->design_mode_; }

void Button::About() {
    host_->Call([&] { host_->Native().About(); });
}

}  // namespace sheenwork::qt
