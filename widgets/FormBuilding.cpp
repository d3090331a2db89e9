#include "widgets/FormBuilding.h"

#include "widgets/WidgetText.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

void ApplyDesignFont(QWidget* form)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    // The layout was drawn for a narrow bitmap font; a condensed face keeps the longer captions
    // inside their buttons where the system has one.
    font.setStretch(QFont::SemiCondensed);
    form->setFont(font);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QRect& bounds)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(bounds);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QPoint& position)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->move(position);
    return label;
}

void SetLabelCaption(QLabel* label, const std::string& caption)
{
    label->setText(LabelText(caption));
    label->adjustSize();
}

void DialogWithoutDefaultButtons::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
