#pragma once

#include <QLabel>

// The contact line of the about box: blue, underlined, with a pointing hand; a left click on it
// reports clicked(). Disabling it greys it out and stops the clicks.
class AboutContactLink : public QLabel {
    Q_OBJECT
public:
    AboutContactLink(const QString& address, QWidget* parent);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
