#include "qt/translate.h"

#include <sheenwork/runtime/keys.h>
#include <sheenwork/vb/ansi.h>

#include <algorithm>
#include <cmath>

namespace sheenwork::qt {
namespace {

using namespace runtime;

// X keysyms of the modifier keys, as Qt hands them on in nativeVirtualKey.
constexpr std::uint32_t kShiftR = 0xffe2, kControlR = 0xffe4, kAltR = 0xffea, kLevel3Shift = 0xfe03,
                        kSuperR = 0xffec;

// Windows' virtual keys the script names do not list.
enum : int {
    VK_PAUSE = 19,
    VK_CAPITAL = 20,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_SNAPSHOT = 44,
    VK_INSERT = 45,
    VK_LWIN = 91,
    VK_RWIN = 92,
    VK_APPS = 93,
    VK_NUMLOCK = 144,
    VK_SCROLL = 145,
};

}  // namespace

int VirtualKeyOf(int qt_key, std::uint32_t native) {
    switch (qt_key) {
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return VK_TAB;
        case Qt::Key_Backspace: return VK_BACK;
        case Qt::Key_Return:
        case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Insert: return VK_INSERT;
        case Qt::Key_Delete: return VK_DELETE;
        case Qt::Key_Pause: return VK_PAUSE;
        case Qt::Key_Print: return VK_SNAPSHOT;
        case Qt::Key_Home: return VK_HOME;
        case Qt::Key_End: return VK_END;
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_PageUp: return VK_PRIOR;
        case Qt::Key_PageDown: return VK_NEXT;
        case Qt::Key_Shift: return native == kShiftR ? VK_RSHIFT : VK_LSHIFT;
        case Qt::Key_Control: return native == kControlR ? VK_RCONTROL : VK_LCONTROL;
        case Qt::Key_Alt: return native == kAltR || native == kLevel3Shift ? VK_RMENU : VK_LMENU;
        case Qt::Key_AltGr: return VK_RMENU;
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
            return native == kSuperR || qt_key == Qt::Key_Super_R ? VK_RWIN : VK_LWIN;
        case Qt::Key_Menu: return VK_APPS;
        case Qt::Key_CapsLock: return VK_CAPITAL;
        case Qt::Key_NumLock: return VK_NUMLOCK;
        case Qt::Key_ScrollLock: return VK_SCROLL;
        default: break;
    }
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) return VK_F1 + (qt_key - Qt::Key_F1);
    // Printable keys carry their (upper-case) character: the key it is typed with on a
    // US layout, as Windows numbers its character keys.
    if (qt_key >= 0x20 && qt_key < 0x7F) {
        if (const auto typed = KeyForChar(static_cast<char>(qt_key))) return typed->vk;
    }
    return 0;
}

int ButtonOf(int qt_buttons) {
    // Qt numbers the three buttons as the runtime does: 1 left, 2 right, 4 middle.
    return qt_buttons & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton);
}

int KeyAsciiOf(const QString& text, int vk, bool ctrl, bool alt) {
    if (alt) return 0;
    if (ctrl) return vk >= 'A' && vk <= 'Z' ? vk - 'A' + 1 : 0;
    if (text.isEmpty()) {
        // Keys whose character the platform may leave out of the event.
        switch (vk) {
            case VK_RETURN: return '\r';
            case VK_ESCAPE: return 27;
            case VK_TAB: return '\t';
            case VK_BACK: return 8;
            default: return 0;
        }
    }
    const std::string ansi = vb::ToAnsi(Utf8(text.left(text.at(0).isHighSurrogate() ? 2 : 1)));
    return ansi.size() == 1 ? static_cast<unsigned char>(ansi[0]) : 0;
}

int ScaleOf(double device_pixel_ratio) {
    return std::max(1, static_cast<int>(std::floor(device_pixel_ratio + 1e-9)));
}

int ToControl(double logical, double device_pixel_ratio) {
    return static_cast<int>(
        std::floor(logical * device_pixel_ratio / ScaleOf(device_pixel_ratio) + 1e-9));
}

double ToLogical(int control, double device_pixel_ratio) {
    return control * ScaleOf(device_pixel_ratio) / device_pixel_ratio;
}

QImage ImageOf(const std::vector<gdi::ColorRef>& pixels, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        const gdi::ColorRef* from = pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const gdi::ColorRef c = from[x];
            row[x] = 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
        }
    }
    return image;
}

QColor ColorOf(std::uint32_t ole) {
    return QColor(static_cast<int>(ole & 0xFF), static_cast<int>((ole >> 8) & 0xFF),
                  static_cast<int>((ole >> 16) & 0xFF), 255 - static_cast<int>(ole >> 24));
}

std::uint32_t OleColorOf(const QColor& color) {
    const QColor c = color.toRgb();
    return (static_cast<std::uint32_t>(255 - c.alpha()) << 24) |
           (static_cast<std::uint32_t>(c.blue()) << 16) |
           (static_cast<std::uint32_t>(c.green()) << 8) | static_cast<std::uint32_t>(c.red());
}

QFont QFontOf(const vb::StdFont& font) {
    QFont q(FromUtf8(font.Name()));
    if (font.Size() > 0) q.setPointSizeF(font.Size());
    q.setWeight(static_cast<QFont::Weight>(std::clamp<int>(font.Weight(), 1, 1000)));
    q.setItalic(static_cast<bool>(font.Italic()));
    q.setUnderline(static_cast<bool>(font.Underline()));
    q.setStrikeOut(static_cast<bool>(font.Strikethrough()));
    return q;
}

vb::StdFont StdFontOf(const QFont& q, std::int16_t charset) {
    // A font given in pixels has its points at the 96 DPI the control draws with.
    const double points = q.pointSizeF() > 0 ? q.pointSizeF() : q.pixelSize() * 72.0 / 96.0;
    vb::StdFont f(Utf8(q.family()), points);
    f.Weight(static_cast<std::int16_t>(q.weight()));
    f.Italic(vb::Boolean(q.italic()));
    f.Underline(vb::Boolean(q.underline()));
    f.Strikethrough(vb::Boolean(q.strikeOut()));
    f.Charset(charset);
    return f;
}

std::string Utf8(const QString& s) { return s.toUtf8().toStdString(); }

QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace sheenwork::qt
