//Maya ASCII 2024 scene
//Name: not_run.ma
requires "rigDials" "3.0";
loadPlugin "rigDials";
file -r -ns "ref" "ref.ma";
createNode transform -n "time1";
	setAttr ".t" -type "double3" 1 -inf 2 3;
	setAttr ".rx" -nan;
	setAttr -k "on" ".ty" 2;
createNode KelPrimitiveLocator -n "loc" -p "time1";
createNode transform -n "b";
parent b time1;
rename b c;
evalDeferred "file -open -force \"not_run.ma\"";
evalDeferred "setAttr loc.radius 4";
file -save "saved.ma";
playblast -cf "x.png" -wh 8 8;
print "ran\n";
currentTime 5;
delete "loc";
select -ne :time1;
	setAttr ".o" 7;
connectAttr -bogus "time1.tx" "c.ty";
connectAttr ":time1.o" "c.tz";
disconnectAttr "time1.tx" "c.ty";
// End of not_run.ma
