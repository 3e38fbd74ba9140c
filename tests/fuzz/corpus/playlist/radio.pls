[playlist]
NumberOfEntries=2
File1=http://r/1
Title1=One
Length1=-1
File2=http://r/2
Title3=x
Version=2
