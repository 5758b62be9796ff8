#pragma once

#include "kernel/base/FTTypes.h"
#include "platform/PWFont.h"
#include "platform/PWPlist.h"

#include <QByteArray>
#include <QCursor>
#include <QLocale>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class PWImage;

// Names of the contact sources, compared by value. The shell sets them to their localized
// texts at launch, right after the environment exists; until then they are empty, and an empty
// name matches nothing.
extern QString ContactsEntourage;
extern QString ContactsEudora;
extern QString ContactsNowContacts;
extern QString ContactsExcel;
extern QString ContactsFileMaker;
extern QString ContactsVCFSource;
extern QString ContactsTextFileSource;

// The process-wide environment: where the content library, the bundle's picture folders and the
// process's private temporary folder are; the remembered settings and the machine-dependent
// defaults; the editing cursors; the product links of the Info dictionary; the progress of a
// scripted contact import. Paths are composed afresh on every call and never tested for
// existence; settings are read from the user defaults on every call.
class CAEnvironment
{
public:
    // --- the instance ------------------------------------------------------------------------

    // Made on the first call (the shell calls it early at launch) and kept for the process.
    static CAEnvironment &sharedEnvironment();
    CAEnvironment(const CAEnvironment &) = delete;
    CAEnvironment &operator=(const CAEnvironment &) = delete;

    // Paper size of the page setup when the environment was made, in points.
    QSizeF defSize() const { return _defSize; }
    static QSizeF defaultPageSize();

    // Hooks the layers above fill. Each may be set before or after the environment is made.
    //
    // Registers the custom person properties with the person type: called with
    // customPersonPropertyNames() when the environment is made (or when set afterwards); the
    // person type adds those it does not know yet, as text properties.
    using PersonPropertiesRegistration = std::function<void(const QStringList &names)>;
    static void setPersonPropertiesRegistration(PersonPropertiesRegistration registration);
    // "Custom1" to "Custom9", then "ABDepartment".
    static QStringList customPersonPropertyNames();
    // The page setup's paper size, asked once when the environment is made. Without it the
    // paper follows the system locale: US Letter where the locale measures in inches, else A4.
    using PaperSizeSource = std::function<QSizeF()>;
    static void setPaperSizeSource(PaperSizeSource source);
    // Whether the address-format catalogue has a format for a lower-case country code. Without
    // it a code counts when the "Countries" resource lists it.
    using CountryFormatPredicate = std::function<bool(const QString &code)>;
    static void setCountryFormatPredicate(CountryFormatPredicate predicate);

    // --- content and resource paths ----------------------------------------------------------

    // The user default "FTSharedContentLibraryPath" with symbolic links resolved, else
    // defaultContentLibraryPath().
    static QString sharedContentLibraryPath();
    // "$XDG_DATA_HOME/Parcelwick/Library" ("~/.local/share/Parcelwick/Library" by default).
    static QString defaultContentLibraryPath();
    // The preferred localization's folder name, for example "en.lproj".
    static QString localizedPath();
    // The first of the user's languages the bundle has a localization for ("de-DE" finds "de"),
    // else the first available one, else "en".
    static QString preferredLocalization(const QStringList &available, const QStringList &uiLanguages);
    static QString clipArtPath();
    static QString thumbClipArtPath();
    static QString basicShapePath();
    static QString maskPath();
    static QString thumbMaskPath();
    static QString templatePath();
    static QString clipArtIndexPath();
    static QString clipArtCategoriesIndexPath();
    static QString picturePath();
    // The folder set by setPostArtPath, else the bundle's "PostArt" folder.
    static QString postArtPath();
    // Where the postage art lies on disk when the application ships it outside its compiled-in
    // resources; an empty path goes back to the bundle's folder.
    static void setPostArtPath(const QString &folder);
    // The content library installed with the program, where an item the user's library lacks
    // is read (a job run in an account never seeded, an item the user took away); empty until
    // the application sets it.
    static void setInstalledContentLibraryPath(const QString &folder);
    static QString installedContentLibraryPath();
    // A folder of the user's content library that could not be made (a home that cannot be
    // written): read where it was installed instead, read-only. relative is its place below the
    // library ("ClipArt", "Parcelwick/Templates/en.lproj"); an empty folder forgets the stand-in.
    static void setInstalledStandIn(const QString &relative, const QString &folder);
    // Its clip-art and mask folders; empty without one.
    static QString installedClipArtPath();
    static QString installedMaskPath();
    static QString backgroundsPath();
    static QString systemTempPath();

    // --- the temporary folder ----------------------------------------------------------------

    // The process's private temporary folder: made on first use inside systemTempPath(), named
    // "pw_refimg." and a unique suffix, readable by the user alone, removed with its contents
    // when the process exits. Empty when it cannot be made; every copy then fails.
    static QString tempPath();
    // Copies source into folder (made when missing) under its own file name, keeping its
    // modification time. Fails when that name is taken.
    static bool copyFilePathToPath(const QString &source, const QString &folder);
    // Copies source into the temporary folder; false when a file of its name is already there.
    static bool copyToTempPath(const QString &source);
    // Copies source into the temporary folder under the file name of targetName.
    static bool copyFilePathToTempFilePath(const QString &source, const QString &targetName);
    // True when no file of path's file name remains in the temporary folder.
    static bool removeFilePathFromTempPath(const QString &path);
    // A new identity "si<folder number>-<running number>", unique within the process.
    static QString tempFileGUID();
    // The temporary folder plus a file name that is free in folder: the file name of fileName,
    // else "<name>-<n>.<extension>" with the smallest n from 1 on.
    static QString nextTempFileGUIDForPath(const QString &fileName, const QString &folder);
    // True when the temporary folder holds a copy of source with its modification time and size.
    static bool isValidateTempFileGUID(const QString &source);
    // The full-size picture of a content-library clip-art item named name or "FULLSIZE_" + name:
    // the image registered under "FULLSIZE_" + name, else the item's file below clipArtPath(),
    // else below installedClipArtPath() (an "hpi" container or any picture file), registered
    // under that name. Null when there is none; names reaching outside the clip-art folder are
    // refused.
    static std::shared_ptr<PWImage> loadFullSizedImage(const QString &name);

    // --- settings ----------------------------------------------------------------------------

    // The application's settings with the value each has until the user sets it, in their fixed
    // order. The start-up registers them, so that every entry point (the application, the
    // command line, tests and benchmarks) reads the same values from a fresh account.
    static const std::vector<std::pair<QString, PWPlist>> &applicationDefaults();
    static void registerApplicationDefaults();

    static cardUnits measurementUnits();
    // The stored "DefaultCountry"; when there is none, chooseDefaultCountry() for the system
    // locale, which is then stored.
    static QString defaultCountry();
    static void setDefaultCountry(const QString &country);
    // The locale's country in lower case when it has an address format ("uk" for the United
    // Kingdom), else "us".
    static QString chooseDefaultCountry(const QLocale &system);
    // The font stored under "FTDefaultFont" (keyed-archive data), else the user font of 10
    // points. Kept as documents keep fonts, with its PostScript name.
    static PWFont defaultFont();
    static int openedDesignTab();
    static void setOpenedDesignTab(int tab);
    static int openedDesignPicturesPane();
    static void setOpenedDesignPicturesPane(int pane);
    static float openedDesignHeight();
    static void setOpenedDesignHeight(float height);
    static bool colorPanelVisible();
    static void setColorPanelVisible(bool visible);
    static bool fontPanelVisible();
    static void setFontPanelVisible(bool visible);
    static bool addressWindowVisible();
    static void setAddressWindowVisible(bool visible);
    static bool propertiesWindowVisible();
    static void setPropertiesWindowVisible(bool visible);
    static bool designWindowVisible();
    static void setDesignWindowVisible(bool visible);
    // Whether any panel's visibility was ever written: false at a first start.
    static bool panelVisibilityRemembered();
    // The text encodings offered for delimited text, as decimal texts of the platform's
    // encoding numbers; the default list is stored when none is.
    static PWPlist::Array getEncodingList();
    static std::optional<PWPlist::Dictionary> getCalibrationSettingsForPrinter(const QString &printer);
    static void setCalibrationSettingsForPrinter(const PWPlist::Dictionary &settings,
                                                 const QString &printer);

    // --- fixed answers, cursors and links ----------------------------------------------------

    static QString defaultTemplate();
    static QString bundleVersion();
    static bool orderFirstLast();
    // The localized "TO" and "FROM" written downwards, one character a line.
    static QString getToSeparatedString();
    static QString getFromSeparatedString();
    static std::optional<QString> getApplicationNameFromDataSourceName(const QString &source);
    static std::optional<QString> getCacheNameFromDataSourceName(const QString &source);

    // The editing cursor of a cursor type: 0 to 5, 8 and 9 are the bundle's cursors (made once
    // and kept), 6 the I-beam, 7 and every other type the arrow.
    static const QCursor &cursorFromType(int type);

    // The product links, made from the Info dictionary; nothing when the key is missing.
    static std::optional<QUrl> homePageURL();
    static std::optional<QUrl> feedBackURL();
    static std::optional<QUrl> checkUpdatesURL();
    static std::optional<QUrl> usefulResourcesURL();
    // Open those links; false when there is none or nothing opened it.
    static bool gotoHomePage();
    static bool sendFeedBack();
    static bool checkUpdates();
    static bool gotoUsefulResources();

    // --- progress of a scripted import (written on the main thread, read by the worker) -----

    void setCurrentImportRecordIndex(std::uint32_t index) { _currImportRecordIndex = index; }
    std::uint32_t currentImportRecordIndex() const { return _currImportRecordIndex; }
    void setImportRecordCount(std::uint32_t count) { _importRecordCount = count; }
    std::uint32_t importRecordCount() const { return _importRecordCount; }
    // Clearing the flag also starts the count and the index again from 0.
    void setTerminateScriptExecutionFlag(bool terminate);
    bool isTerminateScriptExecutionFlag() const { return _terminateScriptExecutionFlag; }

private:
    CAEnvironment();

    QSizeF _defSize;
    std::atomic<std::uint32_t> _currImportRecordIndex {0};
    std::atomic<std::uint32_t> _importRecordCount {0};
    std::atomic<bool> _terminateScriptExecutionFlag {false};
};
