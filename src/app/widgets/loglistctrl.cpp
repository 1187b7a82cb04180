#include "app/widgets/loglistctrl.h"

#include <QPixmap>

// The resources live in a static library: make sure they are registered.
static void InitResources()
{
    Q_INIT_RESOURCE(resources);
}

std::vector<QIcon> LogListCtrl::LevelImageList()
{
    constexpr int kImages = 8;
    constexpr int kSize = 16;
    static std::vector<QIcon> images;
    if (images.empty()) {
        InitResources();
        QPixmap strip(QStringLiteral(":/images/loglevels.png"));
        for (int k = 0; k < kImages; ++k)
            images.emplace_back(strip.isNull() ? QPixmap() : strip.copy(k * kSize, 0, kSize, kSize));
    }
    return images;
}
