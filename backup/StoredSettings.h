#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

// The settings the readiness check loads from config.ini for the window, already turned into
// what the controls show (masked password rows, command lines with their quotes restored).
struct StoredSettings
{
    // Language choice ComboBox3: the codes of the lang folder and the one in use.
    QStringList languageCodes;
    QString currentLanguage;

    // Destination page.
    QString destinationType;     // "DIR", "FTP" or "SKYVRA": RadioButton1, 2 or 5
    QString backupDir;           // Edit1
    QString ftpHost;             // Edit2
    QString ftpUser;             // Edit3
    QString ftpPasswordField;    // Edit4: the asterisk row when a password is stored
    QString ftpPassword;         // the unscrambled FTP password, for the connection
    QString ftpDir;              // Edit5
    QString skyvraUser;          // Edit9
    QString skyvraPasswordField; // Edit10
    QString skyvraPassword;      // unscrambled, for the connection
    bool ftpPassive = true;
    bool ftpBinary = true;

    int tabIndex = 0; // the page shown

    // Settings page.
    int archivlistBuffer = 0; // CheckBox12 checked when above 0
    bool internalCopy = false;
    QString recoveryDir;            // Edit8
    int recoveryDest = 0;           // 1: CheckBox4 + RadioButton3; 2: CheckBox4 + RadioButton4
    QString programBefore;          // Edit6
    QString programAfter;           // Edit7
    bool runBeforeBackup = false;   // CheckBox1
    bool runAfterBackup = false;    // CheckBox3
    bool email = false;             // CheckBox11
    bool highCompression = false;   // CheckBox6
    bool verifyLastArchive = false; // CheckBox7
    QString archivePassword;        // archivePassword, unscrambled
    bool passwordSet = false;       // CheckBox9 checked, Edit12 enabled
    QString passwordField;          // Edit12: the asterisk row when a password is stored
    QString archiveCount;           // SpinEdit1's text when ARCHIVE_COUNT is above 0, else empty
    bool colorArchives = false;     // CheckBox10
    bool sumFirstSecond = false;    // CheckBox13
    bool autostartBackup = false;   // CheckBox14
    bool sourceErrorSkip = false;   // CheckBox15
    bool autoUpdate = false;        // CheckBox16
};

} // namespace ombrix
