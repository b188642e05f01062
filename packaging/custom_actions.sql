-- Applied by scripts/dist.sh to the package wixl writes, with msibuild: rows
-- that wixl's WiX subset cannot express. One statement per line.
-- The helper is carried in the Binary table (type 2: an EXE run from the
-- package, never installed). 66 = type 2, return code ignored, synchronous;
-- 1090 adds "deferred", run as the installing user.
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('EndRunningVantrel', 66, 'MsiHelper', 'end "[INSTALLFOLDER]Vantrel.exe"')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('RemoveShellIntegration', 1090, 'MsiHelper', 'unregister "[INSTALLFOLDER]Vantrel.exe"')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('RemoveLeftoversAtRestart', 1090, 'MsiHelper', 'leftovers "[INSTALLFOLDER]Vantrel.exe"')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('RememberShellIntegration', 66, 'MsiHelper', 'remember "[INSTALLFOLDER]Vantrel.exe"')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('RestoreShellIntegration', 66, 'MsiHelper', 'restore "[INSTALLFOLDER]Vantrel.exe"')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('EnableLoadWithWindows', 66, 'MsiHelper', 'autostart "[INSTALLFOLDER]Vantrel.exe"')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('StartVantrel', 66, 'MsiHelper', 'start "[INSTALLFOLDER]Vantrel.exe"')
-- 51: sets a property; the "Installed apps" entry shows the folder.
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('SetInstallLocation', 51, 'ARPINSTALLLOCATION', '[INSTALLFOLDER]')
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('SetInstallLocation', '', 1010)
-- Before InstallValidate (1400) and the removal of the older product right
-- after it: nothing has been replaced or removed yet.
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('EndRunningVantrel', '', 1390)
-- After RemoveFiles (3500), on a real uninstall only: the older product's
-- removal inside an upgrade keeps the entries, whose path stays the same.
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RemoveShellIntegration', 'REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE', 3510)
-- After any removal (an upgrade's too): program files still held by a process
-- go at the next start; Windows Installer does so itself, Wine's does not.
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RemoveLeftoversAtRestart', 'REMOVE="ALL"', 3520)
-- Wine's msiexec removes the older product without UPGRADINGPRODUCTCODE, so
-- its removal takes the entries too: an upgrade notes them before the older
-- product goes (1395) and puts them back once it is installed (after
-- InstallFinalize, 6600). Where the removal kept them, nothing changes.
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RememberShellIntegration', 'VT_OTHER_FOUND AND NOT Installed', 1395)
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RestoreShellIntegration', 'VT_OTHER_FOUND AND NOT Installed', 6610)
-- After an install or an upgrade, at any UI level: start with Windows on (the
-- first install only: an upgrade keeps what the user chose in Setup), then the
-- program started for the installing user. Immediate actions after
-- InstallFinalize run in the user's own installer process, so the program
-- runs as the user does. VANTREL_LOAD_WITH_WINDOWS=0 and VANTREL_START=0 on
-- the command line turn either off (deployment scripts).
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('EnableLoadWithWindows', 'NOT Installed AND NOT REMOVE AND VANTREL_LOAD_WITH_WINDOWS<>"0"', 6620)
INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('StartVantrel', 'NOT Installed AND NOT REMOVE AND VANTREL_START<>"0"', 6630)
