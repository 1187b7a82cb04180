// The battery picture of the live status page: one of the eleven SOC images
// stretched over the control, with the percentage written across it.
#pragma once

#include <QPixmap>
#include <QWidget>

class SocPicture : public QWidget {
    Q_OBJECT
public:
    explicit SocPicture(QWidget *parent = nullptr);

    // Shows image k (a null pixmap leaves only the text) and the SOC text.
    void Show(int k, const QPixmap &image, int soc);
    // The empty battery (image 0) without a percentage, until a SOC arrives.
    void ShowEmpty(const QPixmap &image);
    int ShownImage() const { return m_nImage; }
    QString Text() const { return m_strText; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_image;
    int m_nImage = -1;
    QString m_strText;
};
