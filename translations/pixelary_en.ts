<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_TW">
<context>
    <name>Command</name>
    <message>
        <source>檔案(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>新增(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>檔案夾(&amp;F)</source>
        <translation>&amp;Folder</translation>
    </message>
    <message>
        <source>捷徑(&amp;L)</source>
        <translation>&amp;Link</translation>
    </message>
    <message>
        <source>複製到...</source>
        <translation>Copy To...</translation>
    </message>
    <message>
        <source>搬移到...</source>
        <translation>Move To...</translation>
    </message>
    <message>
        <source>刪除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>重新命名(&amp;R)...</source>
        <translation>&amp;Rename...</translation>
    </message>
    <message>
        <source>內容(&amp;P)...</source>
        <translation>Pr&amp;operties...</translation>
    </message>
    <message>
        <source>傳送檔案至(&amp;S)</source>
        <translation>&amp;Send To</translation>
    </message>
    <message>
        <source>電子郵件(&amp;E)...</source>
        <translation>&amp;E-mail...</translation>
    </message>
    <message>
        <source>FTP 站(&amp;F)...</source>
        <translation>&amp;FTP Site...</translation>
    </message>
    <message>
        <source>設定為底色圖案(併排)(&amp;W)</source>
        <translation>Set as &amp;Wallpaper (Tiled)</translation>
    </message>
    <message>
        <source>設定為底色圖案(置於中央)(&amp;L)</source>
        <translation>Set as Wa&amp;llpaper (Centred)</translation>
    </message>
    <message>
        <source>輸入TWAIN 影像(&amp;A)...</source>
        <translation>&amp;Acquire TWAIN Image...</translation>
    </message>
    <message>
        <source>列印(&amp;P)...</source>
        <translation>&amp;Print...</translation>
    </message>
    <message>
        <source>離開(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Exit application</source>
        <translation>Exit application</translation>
    </message>
    <message>
        <source>編輯(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>剪下(&amp;T)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>複製(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼上(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>全選(&amp;A)</source>
        <translation>Select &amp;All</translation>
    </message>
    <message>
        <source>選擇所有圖檔(&amp;I)</source>
        <translation>Select All &amp;Pictures</translation>
    </message>
    <message>
        <source>反相選擇(&amp;I)</source>
        <translation>&amp;Invert Selection</translation>
    </message>
    <message>
        <source>連結附屬資料檔(&amp;L)</source>
        <translation>&amp;Link Attached File</translation>
    </message>
    <message>
        <source>解除附屬資料檔(&amp;U)</source>
        <translation>&amp;Unlink Attached File</translation>
    </message>
    <message>
        <source>加入/修改註解文字(&amp;M)</source>
        <translation>Add or Edit Co&amp;mment</translation>
    </message>
    <message>
        <source>加入聲音(&amp;S)</source>
        <translation>Add &amp;Sound</translation>
    </message>
    <message>
        <source>搜尋(&amp;S)</source>
        <translation>&amp;Search</translation>
    </message>
    <message>
        <source>搜尋文字或數值(&amp;T)...</source>
        <translation>Find &amp;Text or Numbers...</translation>
    </message>
    <message>
        <source>搜尋檔案或資料夾(&amp;F)...</source>
        <translation>Find &amp;Files or Folders...</translation>
    </message>
    <message>
        <source>搜尋電腦(&amp;C)...</source>
        <translation>Find &amp;Computer...</translation>
    </message>
    <message>
        <source>檢視(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>工具列(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>狀態列(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>隱藏附屬檔(&amp;H)</source>
        <translation>&amp;Hide Attached Files</translation>
    </message>
    <message>
        <source>正常模式(&amp;N)</source>
        <translation>&amp;Normal</translation>
    </message>
    <message>
        <source>瀏覽模式(&amp;B)</source>
        <translation>&amp;Browse</translation>
    </message>
    <message>
        <source>詳細資料(&amp;F)</source>
        <translation>&amp;Details</translation>
    </message>
    <message>
        <source>排序方式(&amp;A)</source>
        <translation>&amp;Arrange By</translation>
    </message>
    <message>
        <source>檔名(&amp;N)</source>
        <translation>&amp;Name</translation>
    </message>
    <message>
        <source>類型(&amp;T)</source>
        <translation>&amp;Type</translation>
    </message>
    <message>
        <source>大小(&amp;S)</source>
        <translation>&amp;Size</translation>
    </message>
    <message>
        <source>日期(&amp;D)</source>
        <translation>&amp;Date</translation>
    </message>
    <message>
        <source>由小到大</source>
        <translation>Ascending</translation>
    </message>
    <message>
        <source>由大到小</source>
        <translation>Descending</translation>
    </message>
    <message>
        <source>重新整理(&amp;R)</source>
        <translation>&amp;Refresh</translation>
    </message>
    <message>
        <source>重新載圖(&amp;L)</source>
        <translation>Re&amp;load Thumbnails</translation>
    </message>
    <message>
        <source>選項(&amp;O)...</source>
        <translation>&amp;Options...</translation>
    </message>
    <message>
        <source>移至(&amp;G)</source>
        <translation>&amp;Go</translation>
    </message>
    <message>
        <source>上一步(&amp;B)</source>
        <translation>&amp;Back</translation>
    </message>
    <message>
        <source>下一步(&amp;F)</source>
        <translation>&amp;Forward</translation>
    </message>
    <message>
        <source>回到桌面(&amp;D)</source>
        <translation>&amp;Desktop</translation>
    </message>
    <message>
        <source>上移(&amp;U)</source>
        <translation>&amp;Up One Level</translation>
    </message>
    <message>
        <source>工具(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>轉換影像檔格式(&amp;C)...</source>
        <translation>&amp;Convert Picture Format...</translation>
    </message>
    <message>
        <source>電子郵件通訊錄(&amp;E)...</source>
        <translation>&amp;E-mail Address Book...</translation>
    </message>
    <message>
        <source>FTP 通訊錄(&amp;F)...</source>
        <translation>&amp;FTP Address Book...</translation>
    </message>
    <message>
        <source>說明(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>關於(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>上一步</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>回到上一個畫面</source>
        <translation>Go back to the previous folder</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>跳到下一個畫面</source>
        <translation>Go forward to the next folder</translation>
    </message>
    <message>
        <source>桌面</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>回到桌面</source>
        <translation>Go to the desktop</translation>
    </message>
    <message>
        <source>上一層</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>回到上一層目錄</source>
        <translation>Go up to the enclosing folder</translation>
    </message>
    <message>
        <source>列印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>列印選擇的圖檔</source>
        <translation>Print the selected pictures</translation>
    </message>
    <message>
        <source>掃描影像</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>從TWAIN設備輸入影像</source>
        <translation>Acquire pictures from a TWAIN device</translation>
    </message>
    <message>
        <source>複製</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>複製選擇的檔案到指定的目錄</source>
        <translation>Copy the selected files to another folder</translation>
    </message>
    <message>
        <source>搬移</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>搬移選擇的檔案到指定的目錄</source>
        <translation>Move the selected files to another folder</translation>
    </message>
    <message>
        <source>刪除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>刪除選擇的檔案</source>
        <translation>Delete the selected files</translation>
    </message>
</context>
<context>
    <name>Exception</name>
    <message>
        <source>參數檔資料錯誤</source>
        <translation>The print style file is damaged.</translation>
    </message>
</context>
<context>
    <name>FileCommands</name>
    <message>
        <source>「%1」已經存在。要取代它嗎?</source>
        <translation>“%1” already exists. Do you want to replace it?</translation>
    </message>
    <message>
        <source>確定要將「%1」移到垃圾桶嗎?</source>
        <translation>Do you want to move “%1” to the trash?</translation>
    </message>
    <message>
        <source>確定要將這 %1 個項目移到垃圾桶嗎?</source>
        <translation>Do you want to move these %1 items to the trash?</translation>
    </message>
    <message>
        <source>複製中...</source>
        <translation>Copying...</translation>
    </message>
    <message>
        <source>移動中...</source>
        <translation>Moving...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>無法通知桌面更換底色圖案。
圖檔已存於:
%1
可在桌面的背景設定中選用它。</source>
        <translation>The desktop could not be told to change its wallpaper.
The picture was saved as:
%1
You can choose it in the desktop&apos;s background settings.</translation>
    </message>
    <message>
        <source>確定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>FileTransfer</name>
    <message>
        <source>找不到「%1」：%2</source>
        <translation>Cannot find “%1”: %2</translation>
    </message>
    <message>
        <source>無法讀取「%1」：%2</source>
        <translation>Cannot read “%1”: %2</translation>
    </message>
    <message>
        <source>無法寫入「%1」：%2</source>
        <translation>Cannot write “%1”: %2</translation>
    </message>
    <message>
        <source>無法複製「%1」：%2</source>
        <translation>Cannot copy “%1”: %2</translation>
    </message>
    <message>
        <source>無法建立資料夾「%1」：%2</source>
        <translation>Cannot create the folder “%1”: %2</translation>
    </message>
    <message>
        <source>無法移動「%1」：%2</source>
        <translation>Cannot move “%1”: %2</translation>
    </message>
    <message>
        <source>無法刪除「%1」：%2</source>
        <translation>Cannot delete “%1”: %2</translation>
    </message>
    <message>
        <source>無法將資料夾「%1」放進它自己之中</source>
        <translation>Cannot put the folder “%1” inside itself.</translation>
    </message>
    <message>
        <source>「%1」已存在，且類型不同</source>
        <translation>“%1” already exists and is of another kind.</translation>
    </message>
    <message>
        <source>「%1」不是資料夾</source>
        <translation>“%1” is not a folder.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>路徑:</source>
        <translation>Path:</translation>
    </message>
    <message>
        <source>無法寫入縮圖快取資料夾:
%1
(%2)
縮圖仍會顯示,但不會存入快取。可在「選項」中改用其他資料夾。</source>
        <translation>Cannot write to the thumbnail cache folder:
%1
(%2)
Thumbnails are still shown but not kept in the cache. You can choose another folder in Options.</translation>
    </message>
    <message>
        <source>確定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>SourceWindow</name>
    <message>
        <source>Colour</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>Grey</translation>
    </message>
    <message>
        <source>Line art</source>
        <translation>Line art</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Mode:</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Resolution:</translation>
    </message>
    <message>
        <source>Top left:</source>
        <translation>Top left:</translation>
    </message>
    <message>
        <source>Bottom right:</source>
        <translation>Bottom right:</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>Scanning...</translation>
    </message>
    <message>
        <source>Select Source</source>
        <translation>Select Source</translation>
    </message>
    <message>
        <source>No scanner was found.</source>
        <translation>No scanner was found.</translation>
    </message>
    <message>
        <source>Sources:</source>
        <translation>Sources:</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Strings</name>
    <message>
        <source>回到 </source>
        <translation>Back to </translation>
    </message>
    <message>
        <source>進到 </source>
        <translation>Forward to </translation>
    </message>
    <message>
        <source>錯誤</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>選擇的檔案中有無法列印的項目</source>
        <translation>Some of the selected files cannot be printed.</translation>
    </message>
    <message>
        <source>未選擇要列印的檔案</source>
        <translation>No files are selected for printing.</translation>
    </message>
    <message>
        <source>系統沒有可用的印表機</source>
        <translation>No printer is available on this system.</translation>
    </message>
    <message>
        <source>沒選擇檔案或檔案類型不能做為桌面</source>
        <translation>No file is selected, or the file&apos;s type cannot be used as the desktop wallpaper.</translation>
    </message>
    <message>
        <source>目前所在的資料夾不能存檔</source>
        <translation>Files cannot be saved in the current folder.</translation>
    </message>
    <message>
        <source>名稱:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>大小:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>日期:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>時間:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>類型:</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>註解:</source>
        <translation>Comment:</translation>
    </message>
    <message>
        <source>檔案夾:</source>
        <translation>Folders:</translation>
    </message>
    <message>
        <source>  檔案數:</source>
        <translation>  Files:</translation>
    </message>
    <message>
        <source>  巳選擇項目:</source>
        <translation>  Selected:</translation>
    </message>
    <message>
        <source>參數檔資料錯誤</source>
        <translation>The print style file is damaged.</translation>
    </message>
    <message>
        <source>系統預設值</source>
        <translation>System default</translation>
    </message>
    <message>
        <source>選擇目的目錄</source>
        <translation>Choose the Destination Folder</translation>
    </message>
</context>
<context>
    <name>TMPrintDlg</name>
    <message>
        <source>靠左上角</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>靠上</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>靠右上角</source>
        <translation>Top right</translation>
    </message>
    <message>
        <source>靠左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>居中</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>靠右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>靠左下角</source>
        <translation>Bottom left</translation>
    </message>
    <message>
        <source>靠下</source>
        <translation>Bottom</translation>
    </message>
    <message>
        <source>靠右下角</source>
        <translation>Bottom right</translation>
    </message>
    <message>
        <source>由左至右逐列排列</source>
        <translation>Left to right, row by row</translation>
    </message>
    <message>
        <source>由左至右逐行排列</source>
        <translation>Left to right, column by column</translation>
    </message>
    <message>
        <source>由右至左逐列排列</source>
        <translation>Right to left, row by row</translation>
    </message>
    <message>
        <source>由右至左逐行排列</source>
        <translation>Right to left, column by column</translation>
    </message>
</context>
<context>
    <name>TScanImgDlg</name>
    <message>
        <source>Input Image File</source>
        <translation>Input Image File</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>TWAIN Device</source>
        <translation>TWAIN Device</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>Directory:</translation>
    </message>
    <message>
        <source>Filename:</source>
        <translation>Filename:</translation>
    </message>
    <message>
        <source>File Format:</source>
        <translation>File Format:</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source>Interval:</source>
        <translation>Interval:</translation>
    </message>
    <message>
        <source>JPEG Quality:</source>
        <translation>JPEG Quality:</translation>
    </message>
    <message>
        <source>JPEG Smooth:</source>
        <translation>JPEG Smooth:</translation>
    </message>
    <message>
        <source>The scan failed; no file was written.</source>
        <translation>The scan failed; no file was written.</translation>
    </message>
    <message>
        <source>%1 exists and no free number up to %2 is left; the image was not saved. Choose another file name or start number.</source>
        <translation>%1 exists and no free number up to %2 is left; the image was not saved. Choose another file name or start number.</translation>
    </message>
    <message>
        <source>%1 exists already; saved as %2.</source>
        <translation>%1 exists already; saved as %2.</translation>
    </message>
    <message>
        <source>Saved %1.</source>
        <translation>Saved %1.</translation>
    </message>
</context>
<context>
    <name>TWAINControl</name>
    <message>
        <source>Open DSM error</source>
        <translation>Open DSM error</translation>
    </message>
    <message>
        <source>Open DS error</source>
        <translation>Open DS error</translation>
    </message>
    <message>
        <source>Close DS error</source>
        <translation>Close DS error</translation>
    </message>
    <message>
        <source>Enable DS error</source>
        <translation>Enable DS error</translation>
    </message>
    <message>
        <source>Mode not available</source>
        <translation>Mode not available</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Out of memory</translation>
    </message>
    <message>
        <source>Color mode not available</source>
        <translation>Color mode not available</translation>
    </message>
    <message>
        <source>Create image fail</source>
        <translation>Create image fail</translation>
    </message>
</context>
<context>
    <name>Trash</name>
    <message>
        <source>無法將「%1」移到垃圾桶</source>
        <translation>Cannot move “%1” to the trash.</translation>
    </message>
</context>
<context>
    <name>pixelary::TAboutBox</name>
    <message>
        <source>關於 %1</source>
        <translation>About %1</translation>
    </message>
    <message>
        <source>Norvanti
台北市 Pixelary 專案
GPL-3.0-or-later</source>
        <translation>Norvanti
Pixelary project, Taipei
GPL-3.0-or-later</translation>
    </message>
    <message>
        <source>影像函式庫: Pixelary imaging component, with libjpeg-turbo, libpng, giflib, libtiff, Ghostscript and dxflib</source>
        <translation>Imaging library: Pixelary imaging component, with libjpeg-turbo, libpng, giflib, libtiff, Ghostscript and dxflib</translation>
    </message>
    <message>
        <source>確定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Version:%1.%2%3</source>
        <translation>Version:%1.%2%3</translation>
    </message>
</context>
<context>
    <name>pixelary::TMPrintDlg</name>
    <message>
        <source>預視列印</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>一般設定</source>
        <translation>General</translation>
    </message>
    <message>
        <source>格式設定</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>特別設定</source>
        <translation>More</translation>
    </message>
    <message>
        <source>回復預設值</source>
        <translation>Restore Defaults</translation>
    </message>
    <message>
        <source>列印方式:</source>
        <translation>Print style:</translation>
    </message>
    <message>
        <source>複製</source>
        <comment>repeat each picture</comment>
        <translation>Each picture</translation>
    </message>
    <message>
        <source>填滿全部頁面</source>
        <translation>Fill every page</translation>
    </message>
    <message>
        <source>張</source>
        <comment>copies of each picture</comment>
        <translation>times</translation>
    </message>
    <message>
        <source>更換</source>
        <translation>Change...</translation>
    </message>
    <message>
        <source>底框與圖片等比例縮放</source>
        <translation>Scale the frame with the picture</translation>
    </message>
    <message>
        <source>紙張大小:</source>
        <translation>Paper size:</translation>
    </message>
    <message>
        <source>直印</source>
        <translation>Portrait</translation>
    </message>
    <message>
        <source>橫印</source>
        <translation>Landscape</translation>
    </message>
    <message>
        <source>複製份數</source>
        <translation>Copies:</translation>
    </message>
    <message>
        <source>寬度:</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>公分</source>
        <translation>cm</translation>
    </message>
    <message>
        <source>高度:</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>自動計算</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>手動設定</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>水平:</source>
        <translation>Across:</translation>
    </message>
    <message>
        <source>張</source>
        <comment>pictures across or down</comment>
        <translation>pictures</translation>
    </message>
    <message>
        <source>垂直:</source>
        <translation>Down:</translation>
    </message>
    <message>
        <source>實際間隔</source>
        <translation>Gap between pictures</translation>
    </message>
    <message>
        <source>排列間隔</source>
        <translation>Distance between starts</translation>
    </message>
    <message>
        <source>列印檔名</source>
        <translation>Print file names</translation>
    </message>
    <message>
        <source>列印分割線</source>
        <translation>Print cutting lines</translation>
    </message>
    <message>
        <source>列印目錄抬頭</source>
        <translation>Print the folder as a title</translation>
    </message>
    <message>
        <source>列印頁碼</source>
        <translation>Print page numbers</translation>
    </message>
    <message>
        <source>可印範圍內</source>
        <translation>Within the printable area</translation>
    </message>
    <message>
        <source>整張紙</source>
        <translation>Whole sheet</translation>
    </message>
    <message>
        <source>手動</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>自動</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>左界:</source>
        <translation>Left:</translation>
    </message>
    <message>
        <source>上界:</source>
        <translation>Top:</translation>
    </message>
    <message>
        <source>上下左右各:</source>
        <translation>On each side:</translation>
    </message>
    <message>
        <source>儲存目前列印方式</source>
        <translation>Save This Print Style...</translation>
    </message>
    <message>
        <source>頁數:</source>
        <translation>Page:</translation>
    </message>
    <message>
        <source>開始列印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>設定印表機</source>
        <translation>Printer Setup...</translation>
    </message>
    <message>
        <source>關閉</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>放棄列印</source>
        <translation>Stop Printing</translation>
    </message>
</context>
<context>
    <name>pixelary::TNewFolderDlg</name>
    <message>
        <source>Create New Folder</source>
        <translation>Create New Folder</translation>
    </message>
    <message>
        <source>Folder Name:</source>
        <translation>Folder Name:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>pixelary::TOptionDlg</name>
    <message>
        <source>選擇目錄</source>
        <translation>Choose a Folder</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;Browser...</source>
        <translation>&amp;Browser...</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>Directory:</translation>
    </message>
    <message>
        <source>Use Disk Space:</source>
        <translation>Use Disk Space:</translation>
    </message>
    <message>
        <source>K Bytes</source>
        <translation>K Bytes</translation>
    </message>
    <message>
        <source>Cache</source>
        <translation>Cache</translation>
    </message>
    <message>
        <source>Mouse Operations</source>
        <translation>Mouse Operations</translation>
    </message>
    <message>
        <source>Click Text</source>
        <translation>Click Text</translation>
    </message>
    <message>
        <source>Double Click Icon</source>
        <translation>Double Click Icon</translation>
    </message>
    <message>
        <source>Environment</source>
        <translation>Environment</translation>
    </message>
</context>
<context>
    <name>pixelary::TSelFrameDlg</name>
    <message>
        <source>Select Frame</source>
        <translation>Select Frame</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
