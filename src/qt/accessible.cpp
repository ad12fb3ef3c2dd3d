// What screen readers see of a Sheenwork button: a push button named by its caption
// (without the "&" that marks its access key), pressed while the control is pressed,
// the default button of its window when it is one, with one action, press, which clicks
// it as a click of the mouse does.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/qt/button.h>

#include <QAccessibleWidget>

#include "qt/host.h"
#include "qt/translate.h"

namespace sheenwork::qt {
namespace {

// "&Save" -> "Save", "Fish && Chips" -> "Fish & Chips".
QString WithoutMarks(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) {
            out += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
            out += QLatin1Char('&');
            ++i;
        }
    }
    return out;
}

class AccessibleButtonInterface final : public QAccessibleWidget {
public:
    explicit AccessibleButtonInterface(Button* button)
        : QAccessibleWidget(button, QAccessible::Button) {
        addControllingSignal(QStringLiteral("clicked()"));
    }

    Button* button() const { return static_cast<Button*>(widget()); }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name: return WithoutMarks(button()->Caption());
            case QAccessible::Description: return button()->VeloToolTip();
            case QAccessible::Accelerator: {
                const QStringList keys = keyBindingsForAction(pressAction());
                return keys.isEmpty() ? QString() : keys.front();
            }
            default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->Native()->Record().sState == "down";
        s.defaultButton = button()->Default();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& name) override {
        if (name != pressAction() || !button()->isEnabled()) return;
        Button::Host& site = button()->Site();
        site.Call([&] { site.Control().Click(); });
    }

    QStringList keyBindingsForAction(const QString& name) const override {
        if (name != pressAction()) return {};
        QStringList out;
        for (const QChar c : FromUtf8(button()->Site().AccessKeys()))
            if (c.isPrint() && !c.isSpace()) out << QStringLiteral("Alt+") + c.toUpper();
        return out;
    }
};

}  // namespace

QAccessibleInterface* AccessibleButton(const QString&, QObject* object) {
    if (auto* button = qobject_cast<Button*>(object)) return new AccessibleButtonInterface(button);
    return nullptr;
}

}  // namespace sheenwork::qt
