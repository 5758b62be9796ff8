#pragma once

#include "app/printing/CALayoutControllerWithPreview.h"

#include <QPointer>
#include <QSize>

#include <functional>

class CTemplateEditorController;
class QDialog;
class QStackedWidget;

// The change-layout sheet of a document window: the chooser with its preview, and in the same
// window-modal dialog the editor of the document's kind, which takes the chooser's place while a
// template is edited. OK on the editor adds the edited template to the custom list; OK on the
// chooser applies the selected template to the document as one undoable step.
class CASheetController : public CALayoutControllerWithPreview
{
    Q_OBJECT
public:
    // The result codes the sheet ends with.
    enum { CancelCode = 0, OKCode = 1 };

    // Loads the form of the document's kind ("LabelProps", "EnvelopeProps", "PostcardProps").
    // Null, with the failure logged, for any other kind. The dialog owns the controller.
    static CASheetController *create(int documentType, QWidget *parent);
    // Makes the sheet for the document, sets it up and shows it window-modal on parent. The
    // sheet deletes itself when it ends.
    static CASheetController *beginSheet(QWidget *parent, CADocument &document, CALayoutChanged changed);

    QDialog *window() const { return _window; }
    QWidget *view() const { return _view; }
    QWidget *editorView() const;
    CTemplateEditorController *editorController() const { return _editorController; }
    // Whether the editor is shown instead of the chooser.
    bool isEditing() const;

    void setupFromDocument(CADocument *document);
    // Shows the chooser: -2 at set-up (nothing else), -1 after an editor's Cancel (the window
    // fitted), 0 or more after an editor's OK (the window fitted and that tab shown).
    void setLayoutMode(int mode);
    void editorOK(bool createNew);
    void editorCancel();
    void close(int code);

Q_SIGNALS:
    void sheetEnded(int code);

protected:
    void startEditor(const TemplatePtr &format, bool createNew) override;
    void layoutOK() override;
    void layoutCancel() override;

private:
    CASheetController(QDialog *window, int documentType);
    void showPage(QWidget *page, bool fit);

    QPointer<QDialog> _window;
    QPointer<QStackedWidget> m_stack;
    // The chooser's size when an editor took its place: it comes back at that size, whatever the
    // editor's size did to the layout meanwhile.
    QSize m_chooserSize;
    QPointer<QWidget> _view;
    CTemplateEditorController *_editorController = nullptr;
};
