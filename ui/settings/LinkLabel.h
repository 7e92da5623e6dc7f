#pragma once

#include <functional>
#include <QLabel>
#include <QUrl>

namespace ombrix::ui {

// A label that opens an address (a web page, a mailto: message) when clicked, and is underlined
// while the mouse is over it.
class LinkLabel : public QLabel
{
    Q_OBJECT

  public:
    LinkLabel(const QString& text, const QUrl& url, QWidget* parent = nullptr);

    QUrl url() const { return m_url; }
    void setUrl(const QUrl& url) { m_url = url; }

    // What opening an address does; the default hands it to the desktop (browser, mail program).
    // Tests replace it to see which address a click opens. An empty function restores the default.
    using Opener = std::function<void(const QUrl& url)>;
    static void setOpener(Opener opener);

  Q_SIGNALS:
    void opened(const QUrl& url);

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void setUnderlined(bool underlined);

    QUrl m_url;
};

} // namespace ombrix::ui
