@echo off
rem Removes Varden Anti-Virus from this machine with nobody at it, and reports how it
rem went: one line with the outcome and the exit code, then the run's log.
rem
rem   cmd /c remove-varden.cmd <folder that holds the prepared tvuninst.ini> [/deploycodes]
rem
rem Put the folder in quotes when its name holds blanks, "(", ")" or "&".
rem The prepared tvuninst.ini is the profile that the product's setup left in one
rem machine's Windows directory, with Unattended=1 and LogFile=<full path> added to its
rem [Settings] section (and RemoveLeftovers=1 for machines where a failed setup or
rem uninstaller left the product half-removed, without its App Paths entry: everything
rem of it but its directory is then removed). It is copied over this machine's
rem profile, and tvuninst.exe runs from the Windows directory. The script ends the
rem cmd.exe that runs it with the exit code of tvuninst.exe (2 when it could not run
rem it), so the tool that started it can tell the outcome.
rem
rem With /deploycodes (or /DEPLOYCODES) it ends instead with the code that deployment
rem tools read: 3010 removed with a restart needed (6), 1603 removed but something left
rem (4), 1602 declined or aborted (0, 3), 1605 not installed (-1), 1618 another run in
rem progress (-3), 5 no rights (-2). 0, removed without a restart, is never given: a
rem removal always leaves the program's own file, the drivers and whatever was in use
rem to be deleted at the next start. The script's own failures stay 2, and a code it
rem does not know is passed on as it is. These codes differ from the ERRORLEVEL that
rem tvuninst.exe leaves, so they rest on the number after EXIT, which the cmd.exe help
rem documents only from Windows 2000 on (see tools/cmd-features.txt).
rem
rem It keeps to what the cmd.exe of Windows NT 4.0 documents (tools/cmd-features.txt
rem lists it; tools/check-cmd-features checks it): no parenthesised blocks, since a
rem path holding ")" or "&" would end one early, and after tvuninst.exe has run no
rem other program runs, so ERRORLEVEL is still its exit code when the script ends.
setlocal
if [%1]==[] goto usage
set DEPLOY=
if [%2]==[] goto optionread
if [%2]==[/deploycodes] set DEPLOY=yes
if [%2]==[/DEPLOYCODES] set DEPLOY=yes
if [%DEPLOY%]==[] goto usage
:optionread
if not exist "%SystemRoot%\tvuninst.exe" goto notset
copy %1\tvuninst.ini "%SystemRoot%\tvuninst.ini" >nul
if errorlevel 1 goto nocopy

rem Where the log goes, read now: the removal deletes the profile. FOR /F takes a plain
rem file name, so it reads the profile from the Windows directory as the current one.
%SystemDrive%
cd "%SystemRoot%"
set LOG=
set CODE=
for /f "tokens=1,* delims==" %%a in (tvuninst.ini) do if "%%a"=="LogFile" set LOG=%%b

rem A program run from a script is waited for, and its exit code is the ERRORLEVEL.
"%SystemRoot%\tvuninst.exe"

rem IF ERRORLEVEL n is true for n and above: exact codes are told apart from the top.
if errorlevel 7 goto unexpected
if errorlevel 6 goto removed
if errorlevel 5 goto unexpected
if errorlevel 4 goto left
if errorlevel 3 goto aborted
if errorlevel 1 goto unexpected
if errorlevel 0 goto declined
if errorlevel -1 goto notinstalled
if errorlevel -2 goto norights
if errorlevel -3 goto inprogress
goto unexpected

:removed
set CODE=6
set REPORTED=3010
set RESULT=removed, restart the machine to complete the removal
goto report
:left
set CODE=4
set REPORTED=1603
set RESULT=removed, but some files were left; the log names them; restart the machine
goto report
:declined
set CODE=0
set REPORTED=1602
set RESULT=not removed: the removal was declined, nothing changed
goto report
:notinstalled
set CODE=-1
set REPORTED=1605
set RESULT=not installed
goto report
:norights
set CODE=-2
set REPORTED=5
set RESULT=not removed: this account may not manage services
goto report
:inprogress
set CODE=-3
set REPORTED=1618
set RESULT=not removed: another run of the uninstaller is in progress; try again later
goto report
:aborted
set CODE=3
set REPORTED=1602
set RESULT=not removed: a running part would not stop, nothing deleted
goto report
:report
set SHOWN=%CODE%
if [%DEPLOY%]==[] goto show
set SHOWN=%CODE%, reported as %REPORTED%
set CODE=%REPORTED%
:show
echo %COMPUTERNAME%: Varden Anti-Virus %RESULT% (exit code %SHOWN%)
if "%LOG%"=="" goto done
if not exist "%LOG%" goto done
echo Log "%LOG%":
type "%LOG%"
:done
rem EXIT closes this cmd.exe with the code.
exit %CODE%

:usage
echo usage: cmd /c remove-varden.cmd "folder that holds the prepared tvuninst.ini" [/deploycodes]
exit 2
:notset
echo %COMPUTERNAME%: no "%SystemRoot%\tvuninst.exe", Varden Anti-Virus was not set up here (exit code 2)
exit 2
:nocopy
echo %COMPUTERNAME%: cannot copy %1\tvuninst.ini to "%SystemRoot%" (exit code 2)
exit 2

rem A code not known here: the script ends without EXIT or TYPE, either of which may
rem reset ERRORLEVEL, so cmd.exe ends with the exit code of tvuninst.exe.
:unexpected
echo %COMPUTERNAME%: Varden Anti-Virus not removed: unexpected exit code, see the log "%LOG%"
