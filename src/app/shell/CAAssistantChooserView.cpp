#include "app/shell/CAAssistantChooserView.h"

#include "kernel/base/FTTypes.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

namespace {

QComboBox *addPopup(QFormLayout *form, const QString &label, const char *name)
{
    auto *popup = new QComboBox;
    popup->setObjectName(QString::fromLatin1(name));
    popup->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    popup->setMinimumContentsLength(18);
    form->addRow(label, popup);
    return popup;
}

QWidget *listPage(const char *name, const QString &identifier)
{
    auto *page = new QWidget;
    page->setProperty("identifier", identifier);
    auto *layout = new QVBoxLayout(page);
    auto *table = new QTableView;
    table->setObjectName(QString::fromLatin1(name));
    table->setAlternatingRowColors(true);
    table->setTabKeyNavigation(false);
    table->setMinimumSize(320, 150);
    layout->addWidget(table);
    return page;
}

} // namespace

void buildAssistantChooserView(QWidget *page, int documentType)
{
    auto *layout = qobject_cast<QBoxLayout *>(page->layout());
    if (!layout) {
        layout = new QVBoxLayout(page);
    }
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    if (documentType == dtLabel || documentType == dtPostcard)
        addPopup(form, QObject::tr("&Manufacturer:"), "_manufacturerPopup");
    if (documentType == dtLabel)
        addPopup(form, QObject::tr("&Category:"), "_categoryPopup");
    if (documentType == dtLabel || documentType == dtPostcard)
        addPopup(form, QObject::tr("Paper si&ze:"), "_paperSizePopup");
    if (documentType == dtEnvelope)
        addPopup(form, QObject::tr("&Type:"), "_typePopup");
    auto *search = new QLineEdit;
    search->setObjectName(QStringLiteral("_search"));
    search->setClearButtonEnabled(true);
    form->addRow(QObject::tr("&Search:"), search);
    layout->addLayout(form);

    auto *lists = new QTabWidget;
    lists->setObjectName(QStringLiteral("_tabView"));
    lists->addTab(listPage("_tableView", QStringLiteral("1")), QObject::tr("Standard"));
    lists->addTab(listPage("_tableCustomView", QStringLiteral("2")), QObject::tr("Custom"));
    lists->addTab(listPage("_tableRecentView", QStringLiteral("3")), QObject::tr("Recent"));
    layout->addWidget(lists, 1);

    if (documentType == dtEnvelope || documentType == dtPostcard) {
        auto *row = new QHBoxLayout;
        if (documentType == dtEnvelope) {
            auto *window = new QCheckBox(QObject::tr("Use the address &window"));
            window->setObjectName(QStringLiteral("_chkUseWindow"));
            row->addWidget(window);
        }
        auto *orientation = new QGroupBox(QObject::tr("Orientation"));
        orientation->setObjectName(QStringLiteral("_orientationMatrix"));
        auto *cells = new QHBoxLayout(orientation);
        auto *landscape = new QRadioButton(QObject::tr("&Landscape"));
        landscape->setProperty("tag", 0);
        landscape->setChecked(true);
        auto *portrait = new QRadioButton(QObject::tr("&Portrait"));
        portrait->setProperty("tag", 1);
        cells->addWidget(landscape);
        cells->addWidget(portrait);
        row->addWidget(orientation);
        row->addStretch(1);
        layout->addLayout(row);
    }
}
