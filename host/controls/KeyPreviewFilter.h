#pragma once

#include <QObject>

class TForm;
class QKeyEvent;
class QWidget;

// Shows each key press to the form that holds the focus widget, before the widget sees it, when the
// form asks for it (KeyPreview). A handler that sets the key to 0, or fails, drops the key.
class KeyPreviewFilter : public QObject {
    Q_OBJECT

public:
    // Installs the one filter on the application; later calls do nothing.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
    static TForm* formOf(QWidget* widget);
    static bool preview(TForm& form, const QKeyEvent& event);
};
