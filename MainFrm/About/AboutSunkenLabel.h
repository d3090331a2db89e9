#pragma once

#include <QString>
#include <QWidget>

// A line of text that looks pressed into the dialog: dark letters with a light edge one pixel
// below and to the right of them.
class AboutSunkenLabel : public QWidget {
public:
    AboutSunkenLabel(const QString& text, const QFont& font, QWidget* parent);

    const QString& text() const { return m_text; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};
