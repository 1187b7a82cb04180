#include "app/pages/cfgpageten_soc.h"

#include <QPainter>

CSocPicture::CSocPicture(QWidget *parent) : QWidget(parent)
{
    setFixedSize(60, 120);
}

void CSocPicture::Show(int k, const QPixmap &image, int soc)
{
    m_nImage = k;
    m_image = image;
    m_strText = QStringLiteral("%1%").arg(soc);
    update();
}

void CSocPicture::ShowEmpty(const QPixmap &image)
{
    m_nImage = 0;
    m_image = image;
    m_strText.clear();
    update();
}

void CSocPicture::paintEvent(QPaintEvent *)
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
