#include "host/gui/eWindow.h"

#include "host/gfx/eSkin.h"
#include "host/gfx/eTextPara.h"
#include "host/gfx/gPainter.h"

eWindow::eWindow(int takefocus) : eWidget(nullptr, takefocus)
{
    recalcClientRect();
}

eWindow::~eWindow()
{
    if (m_titlePara)
        m_titlePara->destroy();
}

int eWindow::titleHeight()
{
    return eSkin::getActive()->queryValue("eWindow.titleHeight", 32);
}

int eWindow::borderWidth()
{
    return eSkin::getActive()->queryValue("eWindow.border", 2);
}

void eWindow::recalcClientRect()
{
    const int b = borderWidth();
    const int t = titleHeight();
    setClientRect(eRect(b, b + t, getSize().width() - 2 * b, getSize().height() - 2 * b - t));
}

void eWindow::cmove(const ePoint& clientPosition)
{
    move(clientPosition - getClientRect().topLeft());
}

void eWindow::cresize(const eSize& clientSize)
{
    const int b = borderWidth();
    resize(eSize(clientSize.width() + 2 * b, clientSize.height() + 2 * b + titleHeight()));
}

void eWindow::changed(int what)
{
    if (m_titlePara && (what == eWidgetEvent::changedText || what == eWidgetEvent::changedSize)) {
        m_titlePara->destroy();
        m_titlePara = nullptr;
    }
}

int eWindow::eventHandler(const eWidgetEvent& event)
{
    if (event.type == eWidgetEvent::evtAction && event.action) {
        const eAction* a = event.action;
        if (a == &i_cursorActions->cancel) {
            close(-1);
            return 1;
        }
        if (a == &i_focusActions->up || a == &i_focusActions->left) {
            setFocus(nextFocusable(getFocus(), -1));
            return 1;
        }
        if (a == &i_focusActions->down || a == &i_focusActions->right) {
            setFocus(nextFocusable(getFocus(), 1));
            return 1;
        }
        if (a->getKey() <= eRCKey::Blue) {
            // A shortcut key fires the first visible widget that carries it.
            const eString name = rcKeyName(a->getKey());
            std::vector<eWidget*> stack(getChildren().rbegin(), getChildren().rend());
            while (!stack.empty()) {
                eWidget* w = stack.back();
                stack.pop_back();
                if (!w->isShown())
                    continue;
                if (w->getShortcut() == name) {
                    w->activate();
                    return 1;
                }
                stack.insert(stack.end(), w->getChildren().rbegin(), w->getChildren().rend());
            }
        }
        return 0;
    }
    return eWidget::eventHandler(event);
}

void eWindow::eraseBackground(gPainter* painter, const eRect& area)
{
    eSkin* skin = eSkin::getActive();
    const int b = borderWidth();
    const int w = getSize().width(), h = getSize().height();
    const gColor back = getBackgroundColor().isValid() ? getBackgroundColor() : skin->queryColor("global.background");
    painter->fillColor(getClientRect(), back.rgb());
    painter->fillColor(eRect(b, b, w - 2 * b, titleHeight()), skin->queryColor("eWindow.titleBar").rgb());
    const uint32_t frame = skin->queryColor("eWindow.frame").rgb();
    painter->fillColor(eRect(0, 0, w, b), frame);
    painter->fillColor(eRect(0, h - b, w, b), frame);
    painter->fillColor(eRect(0, b, b, h - 2 * b), frame);
    painter->fillColor(eRect(w - b, b, b, h - 2 * b), frame);
}

void eWindow::redrawWidget(gPainter* painter, const eRect& area)
{
    const int b = borderWidth();
    const eRect title(b + 10, b, getSize().width() - 2 * b - 20, titleHeight());
    if (!m_titlePara) {
        m_titlePara = new eTextPara(eRect(0, 0, title.width(), title.height()));
        m_titlePara->setFont(eSkin::getActive()->queryFont("global.title"));
        m_titlePara->renderString(getText(), eTextPara::RS_NOWRAP);
    }
    const eRect& box = m_titlePara->getBoundBox();
    const int y = (title.height() - box.height()) / 2 - box.top();
    painter->setForegroundColor(eSkin::getActive()->queryColor("eWindow.titleText"));
    painter->clip(title);
    painter->renderPara(*m_titlePara, ePoint(title.left(), title.top() + y));
    painter->clippop();
}
