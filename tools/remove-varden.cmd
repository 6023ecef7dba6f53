@echo off
rem Removes Varden Anti-Virus from this machine with nobody at it, and reports how it
rem went: one line with the outcome and the exit code, then the run's log.
rem
rem   cmd /c remove-varden.cmd <folder that holds the prepared tvuninst.ini>
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
rem It keeps to what the cmd.exe of Windows NT 4.0 documents (tools/cmd-features.txt
rem lists it; tools/check-cmd-features checks it): no parenthesised blocks, since a
rem path holding ")" or "&" would end one early, and after tvuninst.exe has run no
rem other program runs, so ERRORLEVEL is still its exit code when the script ends.
setlocal
if [%1]==[] goto usage
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
if errorlevel 4 goto unexpected
if errorlevel 3 goto aborted
if errorlevel 1 goto unexpected
if errorlevel 0 goto declined
if errorlevel -1 goto notinstalled
if errorlevel -2 goto norights
if errorlevel -3 goto inprogress
goto unexpected

:removed
set CODE=6
set RESULT=removed, restart the machine to complete the removal
goto report
:declined
set CODE=0
set RESULT=not removed: the removal was declined, nothing changed
goto report
:notinstalled
set CODE=-1
set RESULT=not installed
goto report
:norights
set CODE=-2
set RESULT=not removed: this account may not manage services
goto report
:inprogress
set CODE=-3
set RESULT=not removed: another run of the uninstaller is in progress; try again later
goto report
:aborted
set CODE=3
set RESULT=not removed: a running part would not stop, nothing deleted
goto report
:report
echo %COMPUTERNAME%: Varden Anti-Virus %RESULT% (exit code %CODE%)
if "%LOG%"=="" goto done
if not exist "%LOG%" goto done
echo Log "%LOG%":
type "%LOG%"
:done
rem EXIT closes this cmd.exe with the code.
exit %CODE%

:usage
echo usage: cmd /c remove-varden.cmd "folder that holds the prepared tvuninst.ini"
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
