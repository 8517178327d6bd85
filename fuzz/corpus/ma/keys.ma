//Maya ASCII 2020 scene
requires "rigDials" "3.0";
createNode transform -n "loc";
createNode KelPrimitiveLocator -n "locShape" -p "loc";
createNode animCurveTL -n "loc_translateX";
	setAttr ".tan" 18;
	setAttr -s 2 ".ktv[0:1]"  1 0 10 5;
connectAttr "loc_translateX.o" "loc.tx";
