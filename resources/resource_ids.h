// Resource numbers shared by the C++ code and the resource scripts. Plain #defines only: the
// resource compiler's preprocessor understands nothing else.
#ifndef SETUP_RESOURCE_IDS_H
#define SETUP_RESOURCE_IDS_H

#define IDI_APP 128

// Prerequisites dialog
#define IDS_COMPONENTS_REQUIRED 129
#define IDS_BUTTON_INSTALL 130
#define IDS_BUTTON_CANCEL 131
#define IDS_PRODUCT_SETUP_TITLE 132
#define IDS_FILE_NOT_FOUND 133
#define IDS_UNABLE_TO_INSTALL 134
#define IDS_INSTALLATION_ERROR 135
#define IDS_INSTALLING_PLEASE_WAIT 136

// Usage box
#define IDS_USAGE_TEXT 137
#define IDS_USAGE_CAPTION 138

// Start-up checks and installation results
#define IDS_WINDOWS_VERSION_UNSUPPORTED 139
#define IDS_ADMIN_REQUIRED 140
#define IDS_INVALID_OPERATION_TYPE 141
#define IDS_INTERNAL_ERROR 142
#define IDS_NEWER_VERSION_INSTALLED 143
#define IDS_ASK_UPGRADE_OLDER_VERSION 144
#define IDS_ASK_RESTART_NOW 145
#define IDS_ASK_APPLY_PATCH 146
#define IDS_PATCH_NOT_APPLICABLE 147

// Component download dialog
#define IDS_BUTTON_RECHECK 148
#define IDS_DOWNLOAD_CAPTION 149
#define IDS_PACKAGE_MISSING_DOWNLOAD_AND_INSTALL 150
#define IDS_DOWNLOAD_PAGE_LINK 151

#define IDS_CANNOT_READ_PACKAGE_PROPERTY 152
// The same English text; the Russian table tells the two cases apart.
#define IDS_PLATFORM_NEEDS_64BIT 153
#define IDS_PLATFORM_NEEDS_32BIT 154

// Confirmation after the prerequisites dialog
#define IDS_COMPONENTS_NOT_INSTALLED 155
#define IDS_PATCH_SETUP_TITLE 156
#define IDS_COMPONENT_LIST_ITEM 157
#define IDS_ASK_CONTINUE_INSTALLATION 158

#define IDS_ASK_SEND_LOG 159
#define IDS_MINOR_UPDATE_DISABLED 160
#define IDS_INI_FILE_NOT_FOUND 161
#define IDS_LOG_FILE_NOTE 162
#define IDS_WINDOWS_VERSION_TOO_OLD 163
#define IDS_PACKAGE_MISSING_SAVE_AND_INSTALL 164
#define IDS_NO_UPDATE_PARAMETER 167
#define IDS_LOG_FILE_NOT_WRITABLE 168
#define IDS_OPEN_ADDRESS_YOURSELF 169
#define IDS_SETUP_ALREADY_RUNNING 209

// Prerequisites dialog in its install/uninstall form
#define IDS_STEPS_REQUIRED 254
#define IDS_ACTION_INSTALL 255
#define IDS_ACTION_UNINSTALL 256
#define IDS_BUTTON_CONTINUE 257
// Name of the notes box for screen readers; the closing question cut to the screen
#define IDS_NOTES_NAME 165
#define IDS_MORE_COMPONENTS 166

// Downloads of component installers: the progress line and the caption of /passive's window
#define IDS_DOWNLOADING 170

// Dialog templates and their controls
#define IDD_PREREQUISITES 129
#define IDC_HEADER 1001
#define IDC_PREREQUISITE_LIST 10010
#define IDC_NOTES 10013
#define IDD_DOWNLOAD 201
#define IDC_DOWNLOAD_MESSAGE 1004
#define IDC_DOWNLOAD_LINK 1005
#define IDC_DOWNLOAD_PROGRESS 1006
#define IDD_DOWNLOAD_PROGRESS 202
#define IDC_PROGRESS_TEXT 1007

#endif
