
[PLAYLIST]
file1 = mms://x/y
File2=•\\ƒ\\..\\a.wav
