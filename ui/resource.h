// Identifiers of the window resources, shared by the resource scripts and the code.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_TESSAM_DIALOG 102

// String table
#define IDS_ABOUTBOX 101              // "关于我们 (&A)..."
#define IDS_PATH_MISSING 102          // "PWM文件路径不存在！\n%s"
#define IDS_BUILD_SUCCEEDED 103       // "生成成功！"
#define IDS_BUILD_FAILED 104          // "生成失败，请检查文件是否被占用！"
#define IDS_PROJECT_FILTER 105        // "GX Developer File(*.pmw)|*.pmw||"
#define IDS_PROJECT_EXTENSION 106     // ".pmw"
#define IDS_MESSAGE_CAPTION 107       // "提示"
#define IDS_SETTINGS_FILE_FORMAT 110  // "%s\config.cfg"
#define IDS_PACKAGE_FILE_FORMAT 112   // "%s\VANTU.PPW"

// Icon shared by the main dialog, the About box and the task bar
#define IDR_MAINFRAME 128

// Controls of the main dialog
#define IDC_PROJECT_PATH 1000   // ProjectPathEdit
#define IDC_BROWSE_PROJECT 1001
#define IDC_GENERATE 1002       // "生成U盘下载"
#define IDC_CLOSE_BUTTON 1003   // "关闭"
#define IDC_PACKAGE_PATH 1004   // PackagePathEdit
#define IDC_BROWSE_FOLDER 1005
#define IDC_ENCRYPT 1007        // EncryptCheck
#define IDC_PASSWORD 1008       // PasswordEdit

// System menu command that opens the About box
#define IDM_ABOUTBOX 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
