#include "locator/window_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Outside any namespace: the macro declares the resources' function where
// it stands. The resources live in a static library, which does not
// register them.
static void InitResources()
{
    Q_INIT_RESOURCE(locator);
}

namespace kovr::locator {

QIcon LoadWindowIcon()
{
    InitResources();
    QSvgRenderer renderer(QStringLiteral(":/icons/128.svg"));
    QIcon icon;
    if (!renderer.isValid()) {
        return icon;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace kovr::locator
