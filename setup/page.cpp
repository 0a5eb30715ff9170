// page.cpp - what every page of the setup shares (setup.h): the menu widget
// over a page's items, the page's top, the gamma values' text.

#include "setup.h"

#include <algorithm>
#include <cstdio>

int ShowMenu(void (*draw)(void *), void *context, std::span<const menuitem> items, int highlight)
{
    const auto first = std::find_if(items.begin(), items.end(), [&](const menuitem &item) {
        return item.return_code == highlight;
    });
    const int code =
        ImageMenuWith(draw, context, static_cast<int>(items.size()), items.data(),
                      first == items.end() ? -1 : static_cast<int>(first - items.begin()));
    if (code == -1) Die(ImageError());
    return code;
}

void DrawPageTop(const session &ses, const char *title)
{
    ImageClear();
    if (ses.logo_loaded) ImageDraw(&ses.logo, 0.0f, 0.5f);
    TextC(20, 2, title, palette::TITLE);
}

gamma_text GammaText(int tenths)
{
    gamma_text t;
    std::snprintf(t.text, sizeof t.text, "%d.%d", tenths / 10, tenths % 10);
    return t;
}
