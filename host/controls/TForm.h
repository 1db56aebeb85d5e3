#pragma once

#include "TEvent.h"
#include "host_controls_export.h"

#include <QWidget>

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// A screen. Subclass constructors build their components (each a child QObject whose objectName is its
// name in the screen definition) and bind their events to handlers by name (BindHandler); the
// application then calls Create(), which raises OnCreate. With KeyPreview the form sees every key
// before the control that has the focus.
class HOST_CONTROLS_EXPORT TForm : public QWidget {
    Q_OBJECT

public:
    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool keyPreview) { keyPreview_ = keyPreview; }

    // The window state of the child window that holds the form (or of the form when top-level).
    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    // Outer geometry of the window that holds the form; ClientWidth/Height are the form's own.
    void SetBounds(int left, int top, int width, int height);
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }
    // Resizes the holding window so that the form itself gets this size.
    void SetClientWidth(int width);
    void SetClientHeight(int height);
    // Shows the window (its child window, inside the main form's MDI area) and brings it to the front.
    void Show();
    void BringToFront();
    // Raises OnCloseQuery, then OnClose with caHide; the handler may change the action: caNone keeps
    // the form open, caFree destroys it later. A query answering false keeps the form open; an error
    // from either keeps it open and travels on. True when the form went (hidden, freed or minimised).
    bool Close();

    // Raises OnCreate; called once by the application after construction.
    void Create();
    // Raises OnActivate; called when the form's window becomes the active one.
    void Activated();

    TEvent<QObject*> OnCreate;
    TEvent<QObject*> OnActivate;
    // Asked before closing; setting the flag to false keeps the form open.
    TEvent<QObject*, bool&> OnCloseQuery;
    TEvent<QObject*, TCloseAction&> OnClose;
    // Virtual-key code by reference (0 drops the key), and the modifier keys held.
    TEvent<QObject*, int&, Qt::KeyboardModifiers> OnKeyDown;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The MDI child window holding the form, or the form itself.
    QWidget* holder();
    const QWidget* holder() const;
    void resizeHolder(int width, int height);

    bool keyPreview_ = false;
    bool closing_ = false;
};
