// Pagination and printing: each page drawn with its header, its slice of the main text, its
// footer and the pictures that fall on it.
#include "platform/richtext/TWpTextControl.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace orva::richtext {
namespace {

struct PageGeometry {
    double width, height, left, top, bodyWidth, bodyHeight, headerHeight, footerHeight;
};

PageGeometry pageGeometry(TWpDocument &doc) {
    const TWpPageSetup &p = doc.page;
    PageGeometry g{};
    g.width = twipsToUnits(p.width);
    g.height = twipsToUnits(p.height);
    g.left = twipsToUnits(p.marginL);
    g.top = twipsToUnits(p.marginT);
    g.bodyWidth = qMax(10.0, g.width - g.left - twipsToUnits(p.marginR));
    doc.header()->setTextWidth(g.bodyWidth);
    doc.footer()->setTextWidth(g.bodyWidth);
    g.headerHeight = doc.header()->isEmpty() ? 0 : doc.header()->size().height();
    g.footerHeight = doc.footer()->isEmpty() ? 0 : doc.footer()->size().height();
    // Header and footer take their room from the body; a body always keeps some height.
    g.bodyHeight = qMax(20.0, g.height - g.top - twipsToUnits(p.marginB) - g.headerHeight - g.footerHeight);
    return g;
}

std::unique_ptr<QTextDocument> paginated(TWpDocument &doc, const PageGeometry &g) {
    std::unique_ptr<QTextDocument> body(doc.main()->clone());
    body->setDocumentMargin(0);
    body->setPageSize(QSizeF(g.bodyWidth, g.bodyHeight));
    return body;
}

} // namespace

int TWpTextControl::CurrentPages() const {
    const PageGeometry g = pageGeometry(*m_doc);
    return paginated(*m_doc, g)->pageCount();
}

bool TWpTextControl::PrintPages(QPagedPaintDevice *device, int fromPage, int toPage) {
    if (!device)
        return false;
    const PageGeometry g = pageGeometry(*m_doc);
    std::unique_ptr<QTextDocument> body = paginated(*m_doc, g);
    const int pages = body->pageCount();
    fromPage = qMax(1, fromPage);
    toPage = qMin(pages, toPage <= 0 ? pages : toPage);
    if (fromPage > toPage)
        return false;
    QPainter painter(device);
    if (!painter.isActive())
        return false;
    const double scale = device->logicalDpiX() / 96.0;
    for (int page = fromPage; page <= toPage; ++page) {
        if (page > fromPage)
            device->newPage();
        painter.save();
        painter.scale(scale, scale);
        if (g.headerHeight > 0) {
            painter.save();
            painter.translate(g.left, g.top);
            m_doc->header()->drawContents(&painter, QRectF(0, 0, g.bodyWidth, g.headerHeight));
            painter.restore();
        }
        const double bodyTop = g.top + g.headerHeight;
        painter.save();
        painter.translate(g.left, bodyTop - (page - 1) * g.bodyHeight);
        body->drawContents(&painter, QRectF(0, (page - 1) * g.bodyHeight, g.bodyWidth, g.bodyHeight));
        painter.restore();
        if (g.footerHeight > 0) {
            painter.save();
            painter.translate(g.left, bodyTop + g.bodyHeight);
            m_doc->footer()->drawContents(&painter, QRectF(0, 0, g.bodyWidth, g.footerHeight));
            painter.restore();
        }
        painter.setClipRect(QRectF(0, 0, g.width, g.height));
        paintPictures(painter, QPointF(0, -(page - 1) * g.height), 1.0);
        painter.restore();
    }
    return true;
}

} // namespace orva::richtext
