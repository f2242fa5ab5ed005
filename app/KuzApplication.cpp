#include "KuzApplication.h"

#include "ErrorBox.h"

#include <QFont>
#include <QProxyStyle>
#include <QStyleFactory>
#include <exception>

// The windows' pictures are compiled into the static window library, whose resources a
// linker would otherwise drop; Q_INIT_RESOURCE must be called outside any namespace.
static void initResources() {
    Q_INIT_RESOURCE(app);
}

namespace kuz {
namespace {

// Password boxes show one "*" per character, whatever the platform style would draw.
class KuzStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

KuzApplication::KuzApplication(int& argc, char** argv) : QApplication(argc, argv) {
    initResources();
    // The application takes ownership of its style.
    setStyle(new KuzStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    setQuitOnLastWindowClosed(false);
    // Liberation Sans has the metrics of the Windows sans-serif faces the layout was made for.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
}

bool KuzApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showErrorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorBox(QString());
    }
    return false;
}

} // namespace kuz
