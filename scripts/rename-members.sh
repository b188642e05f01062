#!/usr/bin/env bash
# Renames data members to the one convention: camelCase with a trailing
# underscore (name_), in place of m_ prefixes, PascalCase fields and type
# prefixes that no longer tell the truth (a std::string named m_pszAppName).
# Class and operation names stay as they are.
#
#   scripts/rename-members.sh            rename in every tracked *.h, *.cpp, *.rc
#   scripts/rename-members.sh --dry-run  print the table and what it would touch
#
# Re-runnable: a second run finds nothing left to rename. The table below
# names every member known when it was written; any other m_ member (added
# on another branch) gets the rule's name: m_ and a type prefix (b, n, dw, p,
# psz, lpsz, sz, str, h, cr, wnd) dropped, first letter lower case, trailing
# underscore. A new name that is already in use somewhere stops the run
# before anything is changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
dry=0
[ "${1:-}" = --dry-run ] && dry=1

# old new
read -r -d '' TABLE <<'EOF' || true
m_BorderBottomRight borderBottomRight_
m_BorderTopLeft borderTopLeft_
m_IDs ids_
m_IconsList imageList_
m_LastActiveMenuBarRect lastActiveMenuBarRect_
m_LastActiveMenuRect menuBarRedrawCount_
m_MenuHookData menuHookData_
m_MenuItemList itemData_
m_Point_x lastX_
m_Point_y lastY_
m_Screen snapshot_
m_ScreenPixels snapshotPixels_
m_SharedMenuIcons sharedIcons_
m_SubMenus subMenus_
m_TranspColors maskColors_
m_bAddPending addPending_
m_bCancel noCopyBack_
m_bCheckmapsShare checkmapsBorrowed_
m_bCreated created_
m_bDoSubclass ownFrame_
m_bDrawBorder framePainted_
m_bHidden hidden_
m_bHighContrast highContrast_
m_bIsPopupMenu isPopup_
m_bUsePreparedImages usePreparedImages_
m_bitmap bitmap_
m_bitmapBackground transparentColor_
m_checkmaps checkmaps_
m_crTransparent maskColor_
m_dwData savedStyle_
m_dwDataEx savedExStyle_
m_dwFlags flags_
m_dwLastActive lastActive_
m_dwOpenMenu openMenu_
m_dwRefCount refCount_
m_dwThemeId key_
m_dwVersion version_
m_hDc dc_
m_hDcTarget targetDc_
m_hHook hook_
m_hInst module_
m_hInstance instance_
m_hMenu hmenu_
m_hMsimg32 msimg32_
m_hOwner owner_
m_hParentMenu parentMenu_
m_hThemeLibrary themeLibrary_
m_hWnd hwnd_
m_hooker hooker_
m_iconX iconWidth_
m_iconY iconHeight_
m_lpszResourceName resourceName_
m_menu menu_
m_nColors colorCount_
m_nDpi dpi_
m_nFlags flags_
m_nID id_
m_nMenuIconOffset imageIndex_
m_nTitleFlags titleFlags_
m_nid iconData_
m_oldBitmap oldBitmap_
m_oldProc oldProc_
m_ownDc ownDc_
m_pActMenuDrawing currentTheme_
m_pDrawItem drawItem_
m_pDrawTitle drawTitle_
m_pGradientFill gradientFill_
m_pIsThemeActive isThemeActive_
m_pMainWnd mainWnd_
m_pMeasureItem measureItem_
m_pMenuIcon icons_
m_pNext next_
m_pOldWndProc oldWndProc_
m_pRegisteredThemesList themes_
m_pTrayIcon trayIcon_
m_pszAppName appName_
m_pszExeName exeName_
m_pszRegistryKey registryKey_
m_rect rect_
m_reused reused_
m_selectcheck selectCheck_
m_strFileName fileName_
m_szMenuText text_
m_unselectcheck unselectCheck_
m_wndHooked hookedWnd_
m_wndOwner ownerWnd_
m_bDrawEdge drawEdge_
m_bSaveAndValidate saveAndValidate_
m_browseButton browseButton_
m_buttonLine buttonLine_
m_edgeType edgeType_
m_iconCaption iconCaption_
m_iconFile iconFile_
m_iconIndex iconIndex_
m_iconPicker iconPicker_
m_ofn ofn_
m_pDlgWnd dlgWnd_
m_path path_
m_pathCaption pathCaption_
m_title title_
m_titleCaption titleCaption_
EOF

mapfile -t files < <(git ls-files '*.h' '*.cpp' '*.rc')
[ ${#files[@]} -gt 0 ] || { echo "no sources found" >&2; exit 1; }

# The rule for members the table does not name.
rule() {
    perl -e '$_ = shift; s/^m_//; s/^(?:lpsz|psz|sz|str|dw|wnd|cr|b|n|p|h)(?=[A-Z])//;
             $_ = lcfirst($_); s/_([a-z])/\U$1/g; print "${_}_\n"' "$1"
}

declare -A new=()
while read -r old to; do
    [ -n "$old" ] && new[$old]=$to
done <<<"$TABLE"
mapfile -t present < <(grep -ohwE 'm_[A-Za-z0-9_]+' "${files[@]}" | sort -u)
pairs=()
for old in "${present[@]}"; do
    to=${new[$old]:-$(rule "$old")}
    pairs+=("$old $to")
done
if [ ${#pairs[@]} -eq 0 ]; then
    echo "nothing to rename"
    exit 0
fi

# Stop before changing anything when a new name is already used in a file
# that uses the old one (where the two could meet in one class).
clash=0
for p in "${pairs[@]}"; do
    old=${p% *} to=${p#* }
    mapfile -t users < <(grep -lw -- "$old" "${files[@]}")
    if hits=$(grep -lw -- "$to" "${users[@]}"); then
        echo "already in use: $to (for $old) in: $(echo $hits)" >&2
        clash=1
    fi
done
[ $clash = 0 ] || { echo "nothing renamed" >&2; exit 1; }

if [ $dry = 1 ]; then
    printf '%s\n' "${pairs[@]}" | awk '{ printf "%-26s %s\n", $1, $2 }'
    grep -lwE "$(printf '%s|' "${pairs[@]%% *}" | sed 's/|$//')" "${files[@]}" | sed 's/^/touches: /'
    exit 0
fi
subst=$(for p in "${pairs[@]}"; do printf 's/\\b%s\\b/%s/g;' "${p% *}" "${p#* }"; done)
perl -pi -e "$subst" "${files[@]}"
echo "renamed ${#pairs[@]} members"
left=$(grep -ohwE 'm_[A-Za-z0-9_]+' "${files[@]}" | sort -u || true)
[ -z "$left" ] || { echo "still prefixed: $left" >&2; exit 1; }
