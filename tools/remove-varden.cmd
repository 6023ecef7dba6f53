@echo off
rem Removes Varden Anti-Virus from this machine with nobody at it, and reports how it
rem went: one line with the outcome and the exit code, then the run's log.
rem
rem   remove-varden.cmd <folder that holds the prepared tvuninst.ini>
rem
rem The prepared tvuninst.ini is the profile that the product's setup left in one
rem machine's Windows directory, with Unattended=1 and LogFile=<full path> added to its
rem [Settings] section. It is copied over this machine's profile, and tvuninst.exe runs
rem from the Windows directory. The script ends with the exit code of tvuninst.exe
rem (2 when it could not run it), so the tool that started it can tell the outcome.
setlocal
set "SOURCE=%~1"
if not defined SOURCE (
  echo usage: remove-varden.cmd ^<folder that holds the prepared tvuninst.ini^>
  exit /b 2
)
if not exist "%SystemRoot%\tvuninst.exe" (
  echo %COMPUTERNAME%: no %SystemRoot%\tvuninst.exe, Varden Anti-Virus was not set up here
  exit /b 2
)
copy /y "%SOURCE%\tvuninst.ini" "%SystemRoot%\tvuninst.ini" >nul
if errorlevel 1 (
  echo %COMPUTERNAME%: cannot copy %SOURCE%\tvuninst.ini to %SystemRoot%
  exit /b 2
)

rem Where the log goes, read now: the removal deletes the profile.
set "LOG="
for /f "usebackq tokens=1,* delims==" %%a in ("%SystemRoot%\tvuninst.ini") do (
  if /i "%%a"=="LogFile" set "LOG=%%b"
)

rem A program without a console: start /wait waits for it and passes its exit code on.
start "" /wait "%SystemRoot%\tvuninst.exe"
set "CODE=%ERRORLEVEL%"

set "RESULT=not removed: unexpected exit code"
if "%CODE%"=="6" set "RESULT=removed, restart the machine to complete the removal"
if "%CODE%"=="0" set "RESULT=not removed: its directory is a system directory or a drive's root"
if "%CODE%"=="-1" set "RESULT=not installed"
if "%CODE%"=="-2" set "RESULT=not removed: this account may not manage services"
if "%CODE%"=="3" set "RESULT=not removed: a running part would not stop"
echo %COMPUTERNAME%: Varden Anti-Virus %RESULT% (exit code %CODE%)
if defined LOG if exist "%LOG%" (
  echo Log %LOG%:
  type "%LOG%"
)
exit /b %CODE%
