#include "app/shell/CAPreferencesController.h"

#include "app/document/CAWindowPlacement.h"
#include "app/shell/CAWaitingWindows.h"
#include <ui_Preferences.h>

#include "kernel/address/CAddressFormatController.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWFont.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWUserDefaults.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QIcon>
#include <QLayout>
#include <QToolBar>

#include <algorithm>

namespace {

QString localized(const char *text)
{
    return QCoreApplication::translate("CAPreferencesController", text);
}

PWUserDefaults &defaults()
{
    return PWUserDefaults::standardUserDefaults();
}

struct PaneItem
{
    const char *identifier;
    const char *image;
};

// Address Importing shows the General picture: it has none of its own.
constexpr PaneItem kPanes[] = {
    {"General", "preferences_general"},
    {"Address Panel", "preferences_panel"},
    {"Printing", "preferences_printing"},
    {"Address Importing", "preferences_general"},
};

struct SourcePath
{
    const char *cacheName;
    const char *applicationName;
};

// By the tag of the browse button, from 1.
constexpr SourcePath kSources[] = {
    {"NowContacts", "Now Contact - OS X"},
    {"Entourage", "Microsoft Entourage"},
    {"Excel", "Microsoft Excel"},
    {"FileMaker", "FileMaker Pro"},
};

// Closing by the window's close box runs the same steps as the Close button.
class PreferencesWindow : public QWidget
{
public:
    explicit PreferencesWindow(std::function<void()> closed)
        : m_closed(std::move(closed))
    {
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        QWidget::closeEvent(event);
        if (event->isAccepted() && m_closed)
            m_closed();
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
            close();
        else
            QWidget::keyPressEvent(event);
    }

private:
    std::function<void()> m_closed;
};

} // namespace

CAPreferencesController::CAPreferencesController()
{
    writeMissingDefaults();
    readCache();
}

CAPreferencesController::~CAPreferencesController()
{
    delete m_window.data();
}

CAPreferencesController &CAPreferencesController::sharedPreferencesController()
{
    static CAPreferencesController *shared = new CAPreferencesController;
    return *shared;
}

void CAPreferencesController::writeMissingDefaults()
{
    // Stored, not only registered, so that the settings file shows every setting a user can change;
    // a stored value of any type is the user's and stays.
    PWUserDefaults &store = defaults();
    for (const auto &[key, value] : CAEnvironment::applicationDefaults()) {
        if (!store.hasStoredValue(key))
            store.setObject(key, value);
    }
}

void CAPreferencesController::readCache()
{
    const PWUserDefaults &store = defaults();
    m_snap = store.boolForKey(QStringLiteral("FTSnap"));
    m_startingDocument = int(store.integerForKey(QStringLiteral("FTStartingDocument")));
    m_changeCountry = store.boolForKey(QStringLiteral("FTChangeCountry"));
    m_convertToUppercase = store.boolForKey(QStringLiteral("FTConvertToUppercase"));
    m_convertToLinearAddress = store.boolForKey(QStringLiteral("FTConvertToLinearAddress"));
    m_commaDelimitedAddress = store.boolForKey(QStringLiteral("FTCommaDelimitedAddress"));
    m_vectorPrinting = store.boolForKey(QStringLiteral("FTVectorPrinting"));
    m_suppressCountryField = store.boolForKey(QStringLiteral("FTSuppressCountryField"));
    m_addressAutoResize = store.boolForKey(QStringLiteral("FTAddressAutoResize"));
    m_showEmptyField = false;
}

QString CAPreferencesController::fontDescription(const QFont &font)
{
    return QStringLiteral("%1 - %2").arg(font.family()).arg(font.pointSizeF(), 0, 'f', 1);
}

QString CAPreferencesController::applicationPathKey(int tag)
{
    if (tag < 1 || tag > int(std::size(kSources)))
        return QString();
    return QStringLiteral("ApplicationPath") + QLatin1String(kSources[tag - 1].cacheName);
}

QWidget *CAPreferencesController::window()
{
    if (!m_window)
        loadWindow();
    return m_window;
}

void CAPreferencesController::showWindow()
{
    QWidget *shown = window();
    CAWindowPlacement::placeInside(shown);
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void CAPreferencesController::loadWindow()
{
    auto *made = new PreferencesWindow([this] {
        if (m_closedHook)
            m_closedHook();
    });
    m_window = made;
    m_ui = std::make_unique<Ui::Preferences>();
    m_ui->setupUi(made);
    made->setObjectName(QStringLiteral("Preferences"));
    // Opened over the panels to change settings, it stays above them while it is up.
    CAWaitingWindows::markAsAbovePanels(made);

    // Boxes show their setting, except the two whose wording is the opposite of the setting.
    m_ui->_snapCheck->setChecked(m_snap);
    m_ui->_changeCountryCheck->setChecked(m_changeCountry);
    m_ui->_convertToUppercaseCheck->setChecked(m_convertToUppercase);
    m_ui->_convertToLinearAddressCheck->setChecked(m_convertToLinearAddress);
    m_ui->_vectorPrintingCheck->setChecked(!m_vectorPrinting);
    m_ui->_suppressCountryFieldCheck->setChecked(m_suppressCountryField);
    m_ui->_commaDelimitedAddressCheck->setChecked(!m_commaDelimitedAddress);
    m_ui->_addressAutoResizeCheck->setChecked(m_addressAutoResize);
    m_ui->_showEmptyFieldCheck->setChecked(!m_showEmptyField);
    m_ui->_showCountryFieldCheck->setChecked(!defaults().boolForKey(QStringLiteral("FTShowCountryField")));

    auto *radio = new QButtonGroup(made);
    radio->setObjectName(QStringLiteral("_startingDocumentRadio"));
    radio->addButton(m_ui->_startingAssistant, 0);
    radio->addButton(m_ui->_startingLabel, 1);
    radio->addButton(m_ui->_startingEnvelope, 2);
    radio->addButton(m_ui->_startingPostcard, 3);
    if (QAbstractButton *row = radio->button(m_startingDocument))
        row->setChecked(true);
    connect(radio, &QButtonGroup::idClicked, this, [this](int row) {
        m_startingDocument = row;
        defaults().setInteger(QStringLiteral("FTStartingDocument"), row);
    });

    for (int tag = 1; tag <= int(std::size(kSources)); ++tag) {
        QLineEdit *field = pathField(tag);
        field->setText(defaults().stringForKey(applicationPathKey(tag)));
        connect(field, &QLineEdit::textEdited, this, &CAPreferencesController::updatePreferences);
        auto *browse = made->findChild<QAbstractButton *>(QStringLiteral("_browse%1").arg(tag));
        connect(browse, &QAbstractButton::clicked, this, [this, tag] { applicationPathBrowse(tag); });
    }

    m_shownFont = CAEnvironment::defaultFont().toQFont();
    m_ui->_defaultFontNameField->setText(fontDescription(m_shownFont));
    connect(m_ui->_changeDefaultFontButton, &QAbstractButton::clicked, this,
            &CAPreferencesController::changeDefaultFont);

    fillCountryPopup();
    connect(m_ui->_countryPopup, &QComboBox::activated, this, &CAPreferencesController::changeCountryPopup);
    connect(m_ui->_closeButton, &QAbstractButton::clicked, this, &CAPreferencesController::close);
    wireChecks();
    createToolbar();
    selectPane(General);
}

void CAPreferencesController::wireChecks()
{
    struct Check
    {
        QAbstractButton *box;
        const char *key;
        bool *cache;
        bool inverted;
    };
    const Check checks[] = {
        {m_ui->_snapCheck, "FTSnap", &m_snap, false},
        {m_ui->_changeCountryCheck, "FTChangeCountry", &m_changeCountry, false},
        {m_ui->_convertToUppercaseCheck, "FTConvertToUppercase", &m_convertToUppercase, false},
        {m_ui->_convertToLinearAddressCheck, "FTConvertToLinearAddress", &m_convertToLinearAddress, false},
        {m_ui->_vectorPrintingCheck, "FTVectorPrinting", &m_vectorPrinting, true},
        {m_ui->_suppressCountryFieldCheck, "FTSuppressCountryField", &m_suppressCountryField, false},
        {m_ui->_commaDelimitedAddressCheck, "FTCommaDelimitedAddress", &m_commaDelimitedAddress, true},
        {m_ui->_addressAutoResizeCheck, "FTAddressAutoResize", &m_addressAutoResize, false},
        {m_ui->_showEmptyFieldCheck, "FTShowEmptyField", &m_showEmptyField, true},
        // Stored for older versions only: the accessor always answers yes.
        {m_ui->_showCountryFieldCheck, "FTShowCountryField", nullptr, true},
    };
    for (const Check &check : checks) {
        connect(check.box, &QAbstractButton::toggled, this, [check](bool on) {
            const bool value = check.inverted ? !on : on;
            if (check.cache)
                *check.cache = value;
            defaults().setBool(QString::fromLatin1(check.key), value);
        });
    }
}

void CAPreferencesController::fillCountryPopup()
{
    QHash<QString, QString> countries;
    CAddressFormatController::sharedAddressFormatController().getCountryList(countries);
    QStringList codes = countries.keys();
    std::sort(codes.begin(), codes.end(), [&countries](const QString &a, const QString &b) {
        return countries.value(a).compare(countries.value(b), Qt::CaseInsensitive) < 0;
    });
    QComboBox *popup = m_ui->_countryPopup;
    popup->clear();
    for (const QString &code : codes)
        popup->addItem(countries.value(code), code);
    if (popup->count() > 1) {
        const int current = popup->findText(countries.value(CAEnvironment::defaultCountry()));
        if (current >= 0)
            popup->setCurrentIndex(current);
    }
}

void CAPreferencesController::changeCountryPopup()
{
    QHash<QString, QString> countries;
    CAddressFormatController::sharedAddressFormatController().getCountryList(countries);
    const QString title = m_ui->_countryPopup->currentText();
    QStringList matching;
    for (auto it = countries.cbegin(); it != countries.cend(); ++it) {
        if (it.value() == title)
            matching.append(it.key());
    }
    if (matching.isEmpty())
        return;
    // Two codes of one name (the formats keep an old code beside a new one) give the same
    // country whichever is taken; the first by code keeps the choice stable.
    std::sort(matching.begin(), matching.end());
    CAEnvironment::setDefaultCountry(matching.first());
}

void CAPreferencesController::changeDefaultFont()
{
    window();
    std::optional<QFont> chosen;
    if (m_fontChooser) {
        chosen = m_fontChooser(m_shownFont, m_window);
    } else {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, m_shownFont, m_window, localized("Default Font"));
        if (ok)
            chosen = font;
    }
    if (!chosen)
        return;
    QFont font = *chosen;
    // A font the dialog gave without a family or a size cannot be stored; the 10-point user font
    // stands in, as it does wherever a font cannot be converted.
    if (font.family().isEmpty() || font.pointSizeF() <= 0) {
        font = QFont();
        font.setPointSizeF(10);
    }
    m_shownFont = font;
    m_ui->_defaultFontNameField->setText(fontDescription(font));
    defaults().setObject(QStringLiteral("FTDefaultFont"),
                         PWPlist::fromData(PWKeyedArchiver::archivedData(PWFont::fromQFont(font))));
}

QLineEdit *CAPreferencesController::pathField(int tag) const
{
    switch (tag) {
    case 1:
        return m_ui->_pathNowContacts;
    case 2:
        return m_ui->_pathEntourage;
    case 3:
        return m_ui->_pathExcel;
    case 4:
        return m_ui->_pathFileMaker;
    default:
        return nullptr;
    }
}

void CAPreferencesController::applicationPathBrowse(int tag)
{
    window();
    QLineEdit *field = pathField(tag);
    if (!field)
        return;
    const QString title = QStringLiteral("%1 %2").arg(localized("Choose path for"),
                                                      QString::fromLatin1(kSources[tag - 1].applicationName));
    const QString path = m_pathChooser ? m_pathChooser(title, m_window)
                                       : QFileDialog::getOpenFileName(m_window, title, QStringLiteral("/usr/bin"));
    if (path.isEmpty())
        return;
    field->setText(path);
    field->setFocus();
    defaults().setString(applicationPathKey(tag), path);
}

void CAPreferencesController::updatePreferences()
{
    for (int tag = 1; tag <= int(std::size(kSources)); ++tag)
        defaults().setString(applicationPathKey(tag), pathField(tag)->text());
}

void CAPreferencesController::createToolbar()
{
    m_toolbar = new QToolBar(m_window);
    m_toolbar->setObjectName(QStringLiteral("Preferences toolbar"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(32, 32));
    auto *group = new QActionGroup(m_toolbar);
    const int offered = m_ui->_tabView->count() > 3 ? 4 : 3;
    for (int tag = 0; tag < offered; ++tag) {
        const QString label = localized(kPanes[tag].identifier);
        QAction *item = m_toolbar->addAction(
            QIcon(QStringLiteral(":/bundle/Images/%1.svg").arg(QLatin1String(kPanes[tag].image))), label);
        item->setObjectName(QString::fromLatin1(kPanes[tag].identifier));
        item->setToolTip(label);
        item->setCheckable(true);
        item->setData(tag);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, tag] { selectPane(tag); });
    }
    m_window->layout()->setMenuBar(m_toolbar);
}

int CAPreferencesController::selectedPane() const
{
    return m_ui ? m_ui->_tabView->currentIndex() : General;
}

void CAPreferencesController::selectPane(int pane)
{
    window();
    if (pane < 0 || pane >= m_ui->_tabView->count())
        return;
    m_ui->_tabView->setCurrentIndex(pane);
    const auto items = m_toolbar->actions();
    if (pane < items.size()) {
        items[pane]->setChecked(true);
        m_window->setWindowTitle(items[pane]->text().remove(QLatin1Char('&')));
    }
    updateWindowSize();
}

void CAPreferencesController::updateWindowSize()
{
    // The window is as high as the pane shown and as wide as the widest; its layout fixes the
    // size, so that it cannot be resized, and a window grows from its top edge.
    QStackedWidget *panes = m_ui->_tabView;
    for (int index = 0; index < panes->count(); ++index) {
        panes->widget(index)->setSizePolicy(QSizePolicy::Preferred, index == panes->currentIndex()
                                                                        ? QSizePolicy::Preferred
                                                                        : QSizePolicy::Ignored);
    }
    panes->updateGeometry();
    m_window->layout()->invalidate();
    m_window->layout()->activate();
    m_window->adjustSize();
}

void CAPreferencesController::close()
{
    if (m_window && m_window->isVisible())
        m_window->close();
    else if (m_closedHook)
        m_closedHook();
}
