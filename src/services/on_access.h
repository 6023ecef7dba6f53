// The on-access component: the service "Tessor Wardel" with its device on Windows NT,
// a program with the window class "KVX95MainWnd" on the Windows 95/98 family.
#pragma once

// 1 when the component is active, else 0.
int OnAccessComponentRunning();

// 0 stopped or not running; 2 it failed to stop.
int StopOnAccessComponent();

// 0 stopped, not active or not installed; 2 it failed to stop.
int StopOnAccessService();

// 1 when the on-access service's key exists, else 0.
int OnAccessServiceInstalled();
