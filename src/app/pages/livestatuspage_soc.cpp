#include "app/pages/livestatuspage_soc.h"

#include <QPainter>

SocPicture::SocPicture(QWidget *parent) : QWidget(parent)
{
    setFixedSize(60, 120);
}

void SocPicture::Show(int k, const QPixmap &image, int soc)
{
    m_nImage = k;
    m_image = image;
    m_strText = QStringLiteral("%1%").arg(soc);
    update();
}

void SocPicture::ShowEmpty(const QPixmap &image)
{
    m_nImage = 0;
    m_image = image;
    m_strText.clear();
    update();
}

void SocPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect client = rect();
    if (!m_image.isNull())
        p.drawPixmap(client, m_image);
    if (m_strText.isEmpty())
        return;
    const QFontMetrics fm(p.font());
    int top = client.height() / 2 - 10;
    QRect textRect(client.left(), top, client.width(), fm.height());
    p.setPen(Qt::black);
    p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, m_strText);
}
