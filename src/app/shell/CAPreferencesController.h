#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QAction;
class QLineEdit;
class QToolBar;
class QWidget;

namespace Ui {
class Preferences;
}

// The one owner of the application's settings: on creation it writes every default the user
// defaults lack, caches the values and answers them to the rest of the application; it also keeps
// the preferences window, whose controls write the user defaults at once.
class CAPreferencesController : public QObject
{
    Q_OBJECT
public:
    enum Pane { General = 0, AddressPanel = 1, Printing = 2, AddressImporting = 3 };

    // Asks for a font starting from the one given; empty when the user cancelled.
    using FontChooser = std::function<std::optional<QFont>(const QFont &initial, QWidget *parent)>;
    // Asks for an application file starting in the folder given; empty when cancelled.
    using PathChooser = std::function<QString(const QString &title, QWidget *parent)>;
    // Runs after the window has closed, so that open documents show the changed settings.
    using ClosedHook = std::function<void()>;

    CAPreferencesController();
    ~CAPreferencesController() override;

    static CAPreferencesController &sharedPreferencesController();

    bool snap() const { return m_snap; }
    int startingDocument() const { return m_startingDocument; }
    bool changeCountry() const { return m_changeCountry; }
    bool showEmptyField() const { return m_showEmptyField; }
    void setShowEmptyField(bool show) { m_showEmptyField = show; }
    // The country line is always offered; its setting is kept only for files of older versions.
    bool showCountryField() const { return true; }
    bool autoPageSize() const { return true; }
    bool isConvertToUppercase() const { return m_convertToUppercase; }
    bool isConvertToLinearAddress() const { return m_convertToLinearAddress; }
    bool isCommaDelimitedAddress() const { return m_commaDelimitedAddress; }
    bool vectorPrinting() const { return m_vectorPrinting; }
    bool suppressCountryField() const { return m_suppressCountryField; }
    bool addressAutoResize() const { return m_addressAutoResize; }

    // The window, made on first use.
    QWidget *window();
    void showWindow();
    void selectPane(int pane);
    int selectedPane() const;
    // Closes the window and lets the open documents refresh.
    void close();

    void setFontChooser(FontChooser chooser) { m_fontChooser = std::move(chooser); }
    void setPathChooser(PathChooser chooser) { m_pathChooser = std::move(chooser); }
    void setClosedHook(ClosedHook hook) { m_closedHook = std::move(hook); }

    // The shown form of a font: "name - size".
    static QString fontDescription(const QFont &font);
    // The user defaults key of a contact source's application path.
    static QString applicationPathKey(int tag);

    void changeDefaultFont();
    void applicationPathBrowse(int tag);

private:
    void writeMissingDefaults();
    void readCache();
    void loadWindow();
    void createToolbar();
    void wireChecks();
    void fillCountryPopup();
    void changeCountryPopup();
    void updatePreferences();
    void updateWindowSize();
    QLineEdit *pathField(int tag) const;

    bool m_snap = true;
    int m_startingDocument = 0;
    bool m_changeCountry = true;
    bool m_showEmptyField = false;
    bool m_convertToUppercase = false;
    bool m_convertToLinearAddress = true;
    bool m_commaDelimitedAddress = true;
    bool m_vectorPrinting = true;
    bool m_suppressCountryField = false;
    bool m_addressAutoResize = true;

    std::unique_ptr<Ui::Preferences> m_ui;
    QPointer<QWidget> m_window;
    QToolBar *m_toolbar = nullptr;
    QFont m_shownFont;
    FontChooser m_fontChooser;
    PathChooser m_pathChooser;
    ClosedHook m_closedHook;
};
