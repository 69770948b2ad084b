#include "ui/RowText.h"

#include "host/gfx/TextCodec.h"
#include "host/gfx/eTextPara.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eServiceReference.h"

namespace ui {

eTextPara* layoutRowText(const eString& text, const gFont& font, int width, int rowHeight, int* yOffs,
                         bool alignRight)
{
    auto* para = new eTextPara(eRect(0, 0, width, rowHeight / 2));
    para->setFont(font);
    // One line per column: a long title is cut by the column's clip, never wrapped.
    para->renderString(text, eTextPara::RS_NOWRAP);
    if (alignRight)
        para->realign(eTextPara::dirRight);
    if (yOffs) {
        const eRect& box = para->getBoundBox();
        *yOffs = (rowHeight - box.height()) / 2 - box.top();
    }
    return para;
}

eString firstChars(const eString& text, size_t n)
{
    if (!host::isValidUtf8(text))
        return text.left(n);
    size_t pos = 0;
    for (size_t count = 0; pos < text.size() && count < n; ++count) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
            ++pos;
    }
    return text.left(pos);
}

eString serviceName(const eString& reference)
{
    eServiceReference ref(reference);
    eServiceInterface* services = eServiceInterface::getInstance();
    eService* service = services->addRef(ref);
    if (!service)
        return eString();
    eString name = service->service_name;
    services->removeRef(ref);
    return name;
}

} // namespace ui
