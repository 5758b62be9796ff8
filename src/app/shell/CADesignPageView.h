#pragma once

#include <QWidget>

#include <memory>

class CADocument;
class CFTAView;

// The page of a design as the user sees it: the card's surface in white with the design drawn
// over it by the kernel's editing view, at the window's zoom. It only shows; editing is the
// canvas's business.
class CADesignPageView : public QWidget
{
    Q_OBJECT
public:
    explicit CADesignPageView(QWidget *parent = nullptr);
    ~CADesignPageView() override;

    // Throws when given no document: a page without a design cannot be shown.
    void setDocument(CADocument *document);
    CADocument *document() const { return m_document; }
    CFTAView *ftView() const { return m_view.get(); }

    // Window pixels per design point.
    double scale() const { return m_scale; }
    void setScale(double scale);
    // The size of the card at the current scale, in window pixels.
    QSize pageSize() const;
    // The design was replaced or changed: draw it again at its (maybe new) size.
    void documentChanged();

Q_SIGNALS:
    void scaleChanged(double scale);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CADocument *m_document = nullptr;
    std::unique_ptr<CFTAView> m_view;
    double m_scale = 1.0;
};
