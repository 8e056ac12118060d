#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QWidget>
#include <functional>

// The server box: an editable list that tells when its drop-down closes.
class TServerComboBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void hidePopup() override
    {
        // The box also closes its list whenever it is hidden; only a list
        // that was open counts as a close-up.
        const bool wasOpen = view() && view()->window()->isVisible();
        QComboBox::hidePopup();
        if (wasOpen)
            emit closedUp();
    }
signals:
    void closedUp();
};

// The status bar's owner-drawn connection panel: " Connected: true" in green
// or " Connected: false" in red, whatever the language.
class TConnectionPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TConnectionPanel(std::function<bool()> connected, QWidget *parent = nullptr);
    QString DrawnText() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<bool()> m_connected;
};
