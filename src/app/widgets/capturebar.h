// The capture controls of the system log page: "开始抓包" asks for a file and
// starts capturing the board link into it, "停止抓包" ends the capture; while
// it runs the file name, the records and the size are shown. A capture file
// that can no longer be written ends the capture with a message; the link
// goes on.
#pragma once

#include <QWidget>

#include <memory>

class LinkCapture;
class QLabel;
class QPushButton;
class QTimer;

class CaptureBar : public QWidget {
    Q_OBJECT
public:
    explicit CaptureBar(QWidget *parent = nullptr);
    ~CaptureBar() override;

    // Asks for the file and starts; false when cancelled or the file cannot be made.
    bool StartCapture();
    // Starts into the given file; false (with a message) when it cannot be made.
    bool StartCaptureTo(const QString &path);
    void StopCapture();
    bool Capturing() const { return m_capture != nullptr; }
    QString StatusText() const;
    QPushButton *StartButton() const { return m_start; }
    QPushButton *StopButton() const { return m_stop; }

    // How often the size is refreshed while a capture runs.
    static constexpr int kRefreshMs = 500;

private:
    void Refresh();
    void UpdateButtons();

    std::shared_ptr<LinkCapture> m_capture;
    QPushButton *m_start = nullptr;
    QPushButton *m_stop = nullptr;
    QLabel *m_status = nullptr;
    QTimer *m_timer = nullptr;
};
